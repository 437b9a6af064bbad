#pragma once

#include <gumbo.h>

#include <csetjmp>
#include <cstddef>
#include <string_view>

#include "foundation/BackgroundTask.h"

namespace pindrake::converters {

// Gives the HTML parser its memory and takes it all back at the end. The parser may allocate a
// budget that grows with the document; when it runs out, the arena jumps back out of the parser,
// which holds no resource but this memory (it is plain C), and the half-built tree is dropped
// with the rest.
class GumboArena {
  public:
    GumboArena() = default;
    ~GumboArena();
    GumboArena(const GumboArena&) = delete;
    GumboArena& operator=(const GumboArena&) = delete;

    // The parsed document, or null when its parse would search too long (see ParserLoad.h),
    // ran out of budget or memory, or was stopped by `stop`, which the parse polls at every
    // allocation. Owned by the arena; one document per arena.
    GumboOutput* parse(std::string_view html, const CancellationToken& stop);

  private:
    // Each block is preceded by its links in the list of live blocks, so that what the parser
    // still held when it stopped can be freed.
    struct alignas(std::max_align_t) Header {
        Header* previous;
        Header* next;
    };

    GumboOutput* parseOrJumpBack(const GumboOptions& options, std::string_view html);
    static void* allocate(void* userdata, std::size_t size);
    static void deallocate(void* userdata, void* block);
    void release(void* block);

    std::size_t bytesLeft_ = 0;
    const CancellationToken* stop_ = nullptr;
    Header* live_ = nullptr;
    std::jmp_buf exhausted_;
};

}  // namespace pindrake::converters
