// The report text of an engine exception, for tests of assertions and panics.
#pragma once

#include <string>
#include <utility>

#include "Common/Exceptions.h"
#include "TestSupport.h"

namespace TestSupport {

// The text of the engine exception of class E (any engine exception by default) that
// action throws; "" when it throws none. Other exceptions pass on to the test.
template <class E = Zep::Exception::Generic, class Action>
std::string ReportOf(Action&& action) {
    try {
        std::forward<Action>(action)();
    } catch (const E& error) {
        return error.what();
    }
    return std::string();
}

// The same with stderr (where the report is logged) captured.
template <class E = Zep::Exception::Generic, class Action>
std::string QuietReportOf(Action&& action) {
    StderrCapture quiet;
    return ReportOf<E>(std::forward<Action>(action));
}

}  // namespace TestSupport
