#include "queue/cMessage.h"

namespace lyn {

void cMessage::subSetMessageParameters(std::string_view name, Variant arg1, Variant arg2) {
  mName = std::string(name);
  mArg1 = std::move(arg1);
  mArg2 = std::move(arg2);
}

bool cMessage::fncEquals(const cMessage& other) const {
  return mName == other.mName && fncVariantEquals(mArg1, other.mArg1) &&
         fncVariantEquals(mArg2, other.mArg2);
}

}  // namespace lyn
