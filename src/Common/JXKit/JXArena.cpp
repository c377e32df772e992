#include "Common/JXKit/JXArena.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr size_t kAlign = alignof(std::max_align_t);
// Every ordinary block has this size, so that the blocks of a freed reply serve the next one.
// It stays below the size at which the C library maps memory of its own.
constexpr size_t kBlockSize = 64 << 10;
// Blocks each thread keeps for its next reply, at most (16 MB: the containers of replies up
// to about 5 MB; an 8 MB reply's take about 22 MB, and the rest is freed and taken anew).
constexpr size_t kCachedBlocks = 256;

size_t roundUp(size_t n) {
  return (n + kAlign - 1) / kAlign * kAlign;
}

struct FreeBlock {
  FreeBlock* next;
};

// The free blocks of this thread.  A reply's blocks go to the cache of the thread that drops
// its last container; at thread exit they are freed.
thread_local bool cacheGone = false;
struct BlockCache {
  FreeBlock* head = nullptr;
  size_t count = 0;
  ~BlockCache() {
    cacheGone = true;
    while (head) {
      FreeBlock* next = head->next;
      std::free(head);
      head = next;
    }
  }
};
thread_local BlockCache cache;

void* takeBlock() {
  if (!cacheGone && cache.head) {
    FreeBlock* b = cache.head;
    cache.head = b->next;
    --cache.count;
    return b;
  }
  void* memory = std::malloc(kBlockSize);
  if (!memory) throw std::bad_alloc();
  return memory;
}

void giveBlock(void* block) {
  if (cacheGone || cache.count >= kCachedBlocks) {
    std::free(block);
    return;
  }
  auto* b = static_cast<FreeBlock*>(block);
  b->next = cache.head;
  cache.head = b;
  ++cache.count;
}

}  // namespace

// Each block starts with this header; a block of the ordinary size is `standard`.
struct JXArena::Block {
  Block* next;
  bool standard;
};

std::shared_ptr<JXArena> JXArena::create() {
  // The arena itself lives at the start of its first block.
  const size_t head = roundUp(sizeof(Block));
  char* memory = static_cast<char*>(takeBlock());
  auto* block = reinterpret_cast<Block*>(memory);
  block->next = nullptr;
  block->standard = true;
  auto* arena = new (memory + head) JXArena();
  arena->blocks_ = block;
  arena->cursor_ = memory + head + roundUp(sizeof(JXArena));
  arena->limit_ = memory + kBlockSize;
  // The control block's count stands for every counted container reference at once.  Should
  // making it fail, the deleter has already run.
  std::shared_ptr<JXArena> keeper(arena, [](JXArena* a) { a->release(); });
  arena->self_ = keeper;
  return keeper;
}

void* JXArena::allocate(size_t size) {
  // Texts may have left the cursor aligned for a pointer only.
  char* at = reinterpret_cast<char*>(roundUp(reinterpret_cast<uintptr_t>(cursor_)));
  size = roundUp(size);
  if (at <= limit_ && size_t(limit_ - at) >= size) {
    cursor_ = at + size;
    return at;
  }
  return allocateSlow(size);
}

void* JXArena::allocateSlow(size_t size) {
  const size_t head = roundUp(sizeof(Block));
  // A large table gets a block of its own; the current block stays open for what follows.
  if (size > (kBlockSize - head) / 4) {
    char* memory = static_cast<char*>(std::malloc(head + size));
    if (!memory) throw std::bad_alloc();
    auto* block = reinterpret_cast<Block*>(memory);
    block->standard = false;
    // Behind the first block, which holds the arena and is freed last.
    block->next = blocks_->next;
    blocks_->next = block;
    return memory + head;
  }
  char* memory = static_cast<char*>(takeBlock());
  auto* block = reinterpret_cast<Block*>(memory);
  block->standard = true;
  block->next = blocks_->next;
  blocks_->next = block;
  cursor_ = memory + head + size;
  limit_ = memory + kBlockSize;
  return memory + head;
}

void JXArena::destroy() {
  Block* first = blocks_;
  keys_.clear();
  keys_.shrink_to_fit();
  for (Block* b = first->next; b;) {
    Block* next = b->next;
    if (b->standard)
      giveBlock(b);
    else
      std::free(b);
    b = next;
  }
  this->~JXArena();
  giveBlock(first);
}
