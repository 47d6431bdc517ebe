// The engine's interface to a platform's in-app purchase service: the requests a game
// makes, the product records and the callbacks through which a service answers.
#pragma once

#include <map>
#include <string>

#include "Common/StringUtils.h"

namespace Zep {

class iPhoneStore {
public:
    struct Product {
        std::string title;
        std::string description;
        std::string price;
    };

    iPhoneStore() {}
    virtual ~iPhoneStore();

    iPhoneStore(const iPhoneStore&) = delete;
    iPhoneStore& operator=(const iPhoneStore&) = delete;

    // --- Requests ---
    // Not built yet (the desktop store): no purchase can be made, requests reach no
    // service and so are never answered, and no product is known.
    bool CanMakePurchases();
    void RequestProductData(const StringVector& productIds);
    void PurchaseProduct(const std::string& productId);
    void RestorePurchases();
    std::string GetProductTitle(const std::string& productId);
    std::string GetProductDescription(const std::string& productId);
    std::string GetProductPrice(const std::string& productId);

    // --- Answers of the service; nothing here ---
    // The products found for a request, and the ids it did not know.
    virtual void ProductDataReceived(const StringVector& products, const StringVector& invalidIds);
    virtual void ProductRequestFailed(const std::string& error);
    virtual void ProductPurchased(const std::string& productId);
    virtual void PurchaseFailed(const std::string& productId, const std::string& error, bool flag);

protected:
    // By product id.
    std::map<std::string, Product> products;
};

}  // namespace Zep
