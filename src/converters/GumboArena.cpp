#include "converters/GumboArena.h"

#include <cstdlib>

#include "converters/ParserLoad.h"

namespace pindrake::converters {

namespace {

// What the parser may allocate in all for one document. Ordinary pages take 20 to 40 bytes a
// byte of HTML, runs of line breaks about 90. Formatting elements left open are cloned into
// every later paragraph, so the parser's work can grow with the square of the input; it stops
// when the budget runs out.
std::size_t allocationBudget(std::size_t htmlBytes) {
    return (std::size_t{32} << 20) + htmlBytes * 128;
}

}  // namespace

GumboArena::~GumboArena() {
    while (live_)
        release(live_ + 1);
}

GumboOutput* GumboArena::parse(std::string_view html, const CancellationToken& stop) {
    if (!parserCanTake(html, stop))
        return nullptr;
    stop_ = &stop;
    bytesLeft_ = allocationBudget(html.size());
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &GumboArena::allocate;
    options.deallocator = &GumboArena::deallocate;
    options.userdata = this;
    options.max_errors = 0;  // the errors are not read; recording them would take budget
    return parseOrJumpBack(options, html);
}

// No object with a destructor may live in this frame or in any frame the jump leaves.
GumboOutput* GumboArena::parseOrJumpBack(const GumboOptions& options, std::string_view html) {
    if (setjmp(exhausted_) != 0)
        return nullptr;
    return gumbo_parse_with_options(&options, html.data(), html.size());
}

void* GumboArena::allocate(void* userdata, std::size_t size) {
    auto* arena = static_cast<GumboArena*>(userdata);
    const std::size_t charged = sizeof(Header) + size;
    if (charged > arena->bytesLeft_ || arena->stop_->isCancelled())
        std::longjmp(arena->exhausted_, 1);
    auto* header = static_cast<Header*>(std::malloc(charged));
    if (!header)
        std::longjmp(arena->exhausted_, 1);
    arena->bytesLeft_ -= charged;
    *header = {nullptr, arena->live_};
    if (arena->live_)
        arena->live_->previous = header;
    arena->live_ = header;
    return header + 1;
}

void GumboArena::deallocate(void* userdata, void* block) {
    if (block)
        static_cast<GumboArena*>(userdata)->release(block);
}

// Freed blocks are not given back to the budget: it bounds the parser's work as well as its
// memory.
void GumboArena::release(void* block) {
    Header* header = static_cast<Header*>(block) - 1;
    (header->previous ? header->previous->next : live_) = header->next;
    if (header->next)
        header->next->previous = header->previous;
    std::free(header);
}

}  // namespace pindrake::converters
