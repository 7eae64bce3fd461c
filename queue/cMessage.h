#pragma once
// One queued command: a name and two arguments, copied by value when the message is made.

#include <string>
#include <string_view>

#include "queue/Variant.h"

namespace lyn {

class cMessage {
 public:
  cMessage() = default;
  cMessage(std::string_view name, Variant arg1 = {}, Variant arg2 = {}) {
    subSetMessageParameters(name, std::move(arg1), std::move(arg2));
  }

  // A missing argument leaves its field empty.
  void subSetMessageParameters(std::string_view name, Variant arg1 = {}, Variant arg2 = {});

  const std::string& fncgetMessageName() const { return mName; }
  Variant fncgetArg1() const { return mArg1; }
  Variant fncgetArg2() const { return mArg2; }
  const Variant& fncArg1() const { return mArg1; }
  const Variant& fncArg2() const { return mArg2; }
  void pvntArg1(Variant value) { mArg1 = std::move(value); }
  void pvntArg2(Variant value) { mArg2 = std::move(value); }

  // Same name (case-sensitive) and equal arguments (see fncVariantEquals).
  bool fncEquals(const cMessage& other) const;

 private:
  std::string mName;
  Variant mArg1;
  Variant mArg2;
};

}  // namespace lyn
