#include "CallRecorder.h"

#include <cinttypes>
#include <cstdio>
#include <mutex>

#include "ComObject.h"
#include "TestHooks.h"

namespace D3D8Internal {

std::atomic<bool> recordingCalls{false};

namespace {

struct Records {
    std::mutex lock;
    SystemVector<PlatformInternal::SystemString> texts;
};

Records& AllRecords() {
    static Records* records = PlatformInternal::NewSystemObject<Records>();
    return *records;
}

}  // namespace

void RecordCall(const char* method, std::initializer_list<RecordArgument> arguments) {
    PlatformInternal::SystemString text(method);
    text += '(';
    bool first = true;
    for (const RecordArgument& argument : arguments) {
        char number[32];
        switch (argument.kind_) {
            case RecordArgument::Kind::Signed:
                std::snprintf(number, sizeof(number), "%" PRId64, argument.signed_);
                break;
            case RecordArgument::Kind::Unsigned:
                std::snprintf(number, sizeof(number), "%" PRIu64, argument.unsigned_);
                break;
            case RecordArgument::Kind::Float:
                std::snprintf(number, sizeof(number), "%g", argument.float_);
                break;
        }
        if (!first)
            text += ", ";
        text += number;
        first = false;
    }
    text += ')';
    Records& records = AllRecords();
    std::lock_guard<std::mutex> guard(records.lock);
    records.texts.push_back(std::move(text));
}

}  // namespace D3D8Internal

void PlatformTest::RecordD3DCalls(bool on) {
    D3D8Internal::recordingCalls = on;
}

std::vector<std::string> PlatformTest::TakeD3DCalls() {
    D3D8Internal::Records& records = D3D8Internal::AllRecords();
    std::lock_guard<std::mutex> guard(records.lock);
    std::vector<std::string> taken;
    taken.reserve(records.texts.size());
    for (const auto& text : records.texts)
        taken.emplace_back(text.c_str(), text.size());
    records.texts.clear();
    return taken;
}
