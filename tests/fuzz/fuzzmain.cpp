// The libFuzzer entry of a fuzz executable built from one target source.
#include "tests/fuzz/fuzztarget.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::setUpEnvironment();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const fuzz::Target& t : fuzz::targets())
        t.run(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
