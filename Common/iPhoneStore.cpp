#include "Common/iPhoneStore.h"

namespace Zep {

iPhoneStore::~iPhoneStore() {
    products.clear();
}

// Not built yet (the desktop store).
bool iPhoneStore::CanMakePurchases() {
    return false;
}

void iPhoneStore::RequestProductData(const StringVector&) {}

void iPhoneStore::PurchaseProduct(const std::string&) {}

void iPhoneStore::RestorePurchases() {}

std::string iPhoneStore::GetProductTitle(const std::string&) {
    return std::string();
}

std::string iPhoneStore::GetProductDescription(const std::string&) {
    return std::string();
}

std::string iPhoneStore::GetProductPrice(const std::string&) {
    return std::string();
}

void iPhoneStore::ProductDataReceived(const StringVector&, const StringVector&) {}

void iPhoneStore::ProductRequestFailed(const std::string&) {}

void iPhoneStore::ProductPurchased(const std::string&) {}

void iPhoneStore::PurchaseFailed(const std::string&, const std::string&, bool) {}

}  // namespace Zep
