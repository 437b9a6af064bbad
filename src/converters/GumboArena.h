#pragma once

#include <gumbo.h>

#include <csetjmp>
#include <cstddef>
#include <string_view>

namespace pindrake::converters {

// What the HTML parser may allocate in all for one document. Ordinary pages take 20 to 40 bytes
// a byte of HTML, runs of line breaks about 90. Formatting elements left open are cloned into
// every later paragraph, so the parser's work can grow with the square of the input; it stops
// when the budget runs out.
std::size_t allocationBudget(std::size_t htmlBytes);

// Gives the parser its memory and takes it all back at the end. When the budget runs out it
// jumps back out of the parser, which holds no resource but this memory (it is plain C), and
// the half-built tree is dropped with the rest.
class GumboArena {
  public:
    explicit GumboArena(std::size_t budget) : bytesLeft_(budget) {}
    ~GumboArena();
    GumboArena(const GumboArena&) = delete;
    GumboArena& operator=(const GumboArena&) = delete;

    // The parsed document, or null when the parser ran out of budget or memory. Owned by the
    // arena.
    GumboOutput* parse(std::string_view html);

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

    std::size_t bytesLeft_;
    Header* live_ = nullptr;
    std::jmp_buf exhausted_;
};

}  // namespace pindrake::converters
