// Splitting any name into name and type, into buffers of any size: the split
// is at the last '.', and what does not fit is cut, never written past.
#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>
#include <sanitizer/asan_interface.h>

#include "file_scan.h"

static void require(bool holds) {
    if (!holds) __builtin_trap();
}

// A buffer of exactly `capacity` bytes followed by poisoned ones, so that even a
// buffer of no bytes at all catches a write (an allocation of 0 bytes would not).
struct GuardedBuffer {
    explicit GuardedBuffer(size_t capacity) : bytes(new char[capacity + GUARD]), end(capacity) {
        ASAN_POISON_MEMORY_REGION(bytes.get() + end, GUARD);
    }
    ~GuardedBuffer() { ASAN_UNPOISON_MEMORY_REGION(bytes.get() + end, GUARD); }
    static const size_t GUARD = 16;
    std::unique_ptr<char[]> bytes;
    size_t end;
};

// What a buffer of `capacity` bytes holds of `text`: as much as fits.
static std::string fitting(const std::string& text, size_t capacity) {
    return text.substr(0, capacity - 1);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    size_t nameCapacity = input.ConsumeIntegralInRange<size_t>(0, RECORD_TEXT);
    size_t typeCapacity = input.ConsumeIntegralInRange<size_t>(0, PATH_BUFFER);
    std::string fileName = input.ConsumeRemainingBytesAsString();
    fileName = fileName.substr(0, fileName.find('\0'));

    GuardedBuffer name(nameCapacity);
    GuardedBuffer type(typeCapacity);
    splitFileName(fileName.c_str(), name.bytes.get(), nameCapacity, type.bytes.get(), typeCapacity);

    size_t dot = fileName.rfind('.');
    std::string before = dot == std::string::npos ? fileName : fileName.substr(0, dot);
    std::string after = dot == std::string::npos ? "" : fileName.substr(dot + 1);
    if (nameCapacity > 0) require(name.bytes.get() == fitting(before, nameCapacity));
    if (typeCapacity > 0) require(type.bytes.get() == fitting(after, typeCapacity));
    return 0;
}
