#pragma once

#include <cmark-gfm.h>

#include <cstddef>

namespace pindrake::markdown {

// Memory for one cmark parse, taken in large blocks and released all at once when the arena
// goes: cmark makes and frees many small pieces, and leaving them to malloc while the tree is
// being converted costs more than the parse. cmark's allocator hooks take no context, so the
// arena is the calling thread's current one; arenas on different threads never meet.
class ParseArena {
  public:
    ParseArena() noexcept;
    ~ParseArena();
    ParseArena(const ParseArena&) = delete;
    ParseArena& operator=(const ParseArena&) = delete;

    // The allocator to hand to cmark; valid while this arena lives, on this thread.
    cmark_mem* allocator() noexcept;

  private:
    struct Block;
    static void* calloc(std::size_t count, std::size_t size);
    static void* realloc(void* pointer, std::size_t size);
    static void free(void* pointer);
    void* allocate(std::size_t size);
    bool resizeInPlace(void* pointer, std::size_t size);

    Block* blocks_ = nullptr;
    ParseArena* previous_;
    cmark_mem mem_;
};

}  // namespace pindrake::markdown
