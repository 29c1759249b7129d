#include "RecordFuzz.h"

#include "core/ClipboardJar.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkRecordReader<ClipboardJar>(data, size);
    return 0;
}
