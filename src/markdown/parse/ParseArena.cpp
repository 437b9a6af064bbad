#include "markdown/parse/ParseArena.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace pindrake::markdown {

namespace {

thread_local ParseArena* currentArena = nullptr;

constexpr std::size_t blockBytes = 256 * 1024;
constexpr std::size_t alignment = alignof(std::max_align_t);
// Each piece starts with its size, so that a reallocation knows how much to copy.
constexpr std::size_t headerBytes = alignment;

std::size_t roundUp(std::size_t size) {
    return (size + alignment - 1) & ~(alignment - 1);
}

// cmark cannot continue without memory; its own allocator stops the same way.
[[noreturn]] void outOfMemory() {
    std::fputs("[cmark] out of memory, aborting\n", stderr);
    std::abort();
}

}  // namespace

struct ParseArena::Block {
    Block* next;
    std::size_t capacity;
    std::size_t used;
    alignas(alignment) unsigned char bytes[1];
};

ParseArena::ParseArena() noexcept
    : previous_(currentArena), mem_{&ParseArena::calloc, &ParseArena::realloc, &ParseArena::free} {
    currentArena = this;
}

ParseArena::~ParseArena() {
    currentArena = previous_;
    while (blocks_ != nullptr)
        std::free(std::exchange(blocks_, blocks_->next));
}

cmark_mem* ParseArena::allocator() noexcept {
    return &mem_;
}

void* ParseArena::allocate(std::size_t size) {
    if (size > SIZE_MAX / 2)
        outOfMemory();
    const std::size_t needed = headerBytes + roundUp(size);
    if (blocks_ == nullptr || blocks_->capacity - blocks_->used < needed) {
        // A piece larger than a block gets a block of its own, behind the current one.
        const std::size_t capacity = needed > blockBytes / 4 ? needed : blockBytes;
        auto* block = static_cast<Block*>(std::malloc(offsetof(Block, bytes) + capacity));
        if (block == nullptr)
            outOfMemory();
        block->capacity = capacity;
        block->used = 0;
        if (blocks_ != nullptr && capacity != blockBytes) {
            block->next = blocks_->next;
            blocks_->next = block;
        } else {
            block->next = blocks_;
            blocks_ = block;
        }
        unsigned char* piece = block->bytes;
        block->used = needed;
        std::memcpy(piece, &size, sizeof size);
        return piece + headerBytes;
    }
    unsigned char* piece = blocks_->bytes + blocks_->used;
    blocks_->used += needed;
    std::memcpy(piece, &size, sizeof size);
    return piece + headerBytes;
}

void* ParseArena::calloc(std::size_t count, std::size_t size) {
    if (size != 0 && count > SIZE_MAX / size)
        outOfMemory();
    void* piece = currentArena->allocate(count * size);
    std::memset(piece, 0, count * size);
    return piece;
}

// The last piece of the current block grows or shrinks where it stands: cmark grows its
// buffers step by step, and a copy at each step would leave every earlier size behind.
bool ParseArena::resizeInPlace(void* pointer, std::size_t size) {
    if (blocks_ == nullptr || size > SIZE_MAX / 2)
        return false;
    unsigned char* piece = static_cast<unsigned char*>(pointer) - headerBytes;
    std::size_t old = 0;
    std::memcpy(&old, piece, sizeof old);
    unsigned char* const used = blocks_->bytes + blocks_->used;
    if (piece + headerBytes + roundUp(old) != used)
        return false;
    const std::size_t start = blocks_->used - headerBytes - roundUp(old);
    const std::size_t end = start + headerBytes + roundUp(size);
    if (end > blocks_->capacity)
        return false;
    blocks_->used = end;
    std::memcpy(piece, &size, sizeof size);
    return true;
}

void* ParseArena::realloc(void* pointer, std::size_t size) {
    if (pointer != nullptr && currentArena->resizeInPlace(pointer, size))
        return pointer;
    void* piece = currentArena->allocate(size);
    if (pointer != nullptr) {
        std::size_t old = 0;
        std::memcpy(&old, static_cast<unsigned char*>(pointer) - headerBytes, sizeof old);
        std::memcpy(piece, pointer, old < size ? old : size);
    }
    return piece;
}

void ParseArena::free(void*) {}

}  // namespace pindrake::markdown
