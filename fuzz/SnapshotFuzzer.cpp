#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "clipboard/Snapshot.h"

// Two ways in: arbitrary bytes read as a snapshot file (damaged or edited), and arbitrary
// clipboard contents written to one. What a snapshot gives back must never be empty and must
// survive being written again; what is written must come back byte for byte.
namespace {

using pindrake::fuzz::require;
using namespace pindrake;

void checkReading(std::string_view bytes) {
    const auto contents = clipboard::snapshot::decode(bytes);
    if (!contents)
        return;
    require(!contents->empty(), "a restorable snapshot holds a type");
    const auto written = clipboard::snapshot::encode(*contents);
    require(written.has_value(), "contents read from a snapshot can be written again");
    require(clipboard::snapshot::decode(*written) == contents,
            "contents read from a snapshot survive being written again");
}

// Type names come from other programs, UTF-8 or not; their bytes are anything at all.
void checkWriting(FuzzedDataProvider& input) {
    platform::PasteboardContents contents;
    while (input.remaining_bytes() > 0) {
        std::string type = input.ConsumeRandomLengthString(64);
        contents.set(std::move(type), input.ConsumeRandomLengthString());
    }
    const auto written = clipboard::snapshot::encode(contents);
    require(written.has_value() != contents.empty(), "a snapshot is written unless empty");
    if (written)
        require(clipboard::snapshot::decode(*written) == contents,
                "a snapshot gives back every type byte for byte");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkReading(std::string_view(reinterpret_cast<const char*>(data), size));
    FuzzedDataProvider input(data, size);
    checkWriting(input);
    return 0;
}
