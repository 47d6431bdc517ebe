// The engine's interface to a platform's in-app purchase service. So far the product
// records and the callbacks through which a service answers; the store's own
// operations come with the desktop store.
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
