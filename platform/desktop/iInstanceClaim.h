#pragma once
// One copy of the player per user. The first copy to start claims the place and listens; a
// later copy hands the first its book folder (or nothing) and ends, and the first comes to the
// front and opens that folder. Script and test runs take no part. (The application's own
// single-instance seam is met by the window over this one.)

#include <functional>
#include <string>

namespace lyn {

enum class eInstanceRole {
  First,   // this copy runs; later copies will be heard through the activation callback
  Second,  // another copy runs and has been handed the book folder: end this one
  Alone,   // no place could be claimed (no runtime folder of our own): run without the check
};

class iInstanceClaim {
 public:
  // Called in the first copy, on the user-interface thread, each time a later copy starts; with
  // the book folder given to that copy, "" when none.
  using tActivation = std::function<void(const std::string& isBookFolder)>;

  virtual ~iInstanceClaim() = default;
  virtual eInstanceRole fncClaim(const std::string& isBookFolder, tActivation iOnActivation) = 0;
};

}  // namespace lyn
