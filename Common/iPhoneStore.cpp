#include "Common/iPhoneStore.h"

namespace Zep {

iPhoneStore::~iPhoneStore() {
    products.clear();
}

void iPhoneStore::ProductDataReceived(const StringVector&, const StringVector&) {}

void iPhoneStore::ProductRequestFailed(const std::string&) {}

void iPhoneStore::ProductPurchased(const std::string&) {}

void iPhoneStore::PurchaseFailed(const std::string&, const std::string&, bool) {}

}  // namespace Zep
