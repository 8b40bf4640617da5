// Recordings as --replay reads them; one that is accepted is written out
// again and must read back the same.
#include "fuzz/FuzzSupport.h"

#include "app/Recording.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Recording recording;
    std::string error;
    if (!Recording::Parse(text, "2.1", recording, error)) return 0;
    Recording back;
    fuzz::Check(Recording::Parse(recording.Text(), "2.1", back, error), "a written recording reads");
    fuzz::Check(back.Text() == recording.Text(), "a written recording reads back the same");
    return 0;
}
