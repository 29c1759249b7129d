#include "RecordFuzz.h"

#include "core/ClipboardEntry.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkRecordReader<ClipboardEntry>(data, size);
    return 0;
}
