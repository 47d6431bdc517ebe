// The call records of PlatformTest::RecordD3DCalls.
#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace D3D8Internal {

// One argument as it is written into a record.
class RecordArgument {
public:
    template <class T, typename std::enable_if<std::is_integral<T>::value, int>::type = 0>
    RecordArgument(T value)
        : kind_(std::is_signed<T>::value ? Kind::Signed : Kind::Unsigned),
          signed_(static_cast<int64_t>(value)),
          unsigned_(static_cast<uint64_t>(value)) {}
    template <class T, typename std::enable_if<std::is_enum<T>::value, int>::type = 0>
    RecordArgument(T value) : RecordArgument(static_cast<typename std::underlying_type<T>::type>(value)) {}
    RecordArgument(double value) : kind_(Kind::Float), float_(value) {}

    enum class Kind { Signed, Unsigned, Float };
    Kind kind_;
    int64_t signed_ = 0;
    uint64_t unsigned_ = 0;
    double float_ = 0;
};

extern std::atomic<bool> recordingCalls;

void RecordCall(const char* method, std::initializer_list<RecordArgument> arguments);

// Records "method(arguments)" while recording is on; costs one test otherwise.
template <class... Arguments>
inline void Record(const char* method, Arguments... arguments) {
    if (recordingCalls.load(std::memory_order_relaxed))
        RecordCall(method, {RecordArgument(arguments)...});
}

}  // namespace D3D8Internal
