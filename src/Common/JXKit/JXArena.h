// The memory of one parsed reply's containers: the reader places every array and dictionary of
// a reply, with its members or its table, and every string's text in a few large blocks, and
// the blocks go back at once when nothing of the reply is held any more, to a small per-thread
// store that the next reply on that thread takes them from (at most 16 MB a thread; the rest is
// freed).  A container kept longer than the rest of its reply (a sub-dictionary handed to a
// record) keeps the whole reply's blocks, and so does a string value read from the reply.
//
// The containers of an immutable reply count nothing: they hold one another borrowed (see
// ValueContainerRef), and a counted reference to any of them (the tree's root, or a container
// taken out of the tree) shares the arena's one shared_ptr control block.  Strings inside the
// containers are borrowed too; a string value taken out counts on the arena's own count, as does
// each container of a mutable reply (those count themselves as well, since a caller may change
// what they hold).  The counts are atomic, as containers and values may be dropped on several
// threads.  The arena also keeps one counted reference to each dictionary key of the reply, so
// that the tables themselves hold their keys borrowed and count nothing per pair.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "Common/JXKit/JXKey.h"
#include "Foundation/Value.h"

class JXArena final : public ValueText::Owner {
 public:
  // A new arena, held by the reference returned: counted references to the containers placed
  // here share it (see keeper()).
  static std::shared_ptr<JXArena> create();
  JXArena(const JXArena&) = delete;
  JXArena& operator=(const JXArena&) = delete;

  // `size` bytes aligned for any container, valid until the last reference goes.  Raises
  // std::bad_alloc when memory runs out.
  void* allocate(size_t size);
  // A string value whose text is placed here, borrowed (see ValueText): only for the reply's
  // own containers and the reader's stack.
  Value borrowedString(std::string_view text) {
    if (text.empty()) return Value::fromText(ValueText());
    return Value::fromText(
        ValueText::borrowPlaced(allocateText(ValueText::blockSize(text.size())), this, text));
  }

  // An object of type T and `trailing` bytes behind it (aligned for any container) placed
  // here; its destructor never runs, so it must own nothing outside the arena.
  template <class T, class... Args>
  T* place(size_t trailing, void** trailingOut, Args&&... args) {
    constexpr size_t head = (sizeof(T) + alignof(std::max_align_t) - 1) /
                            alignof(std::max_align_t) * alignof(std::max_align_t);
    char* block = static_cast<char*>(allocate(head + trailing));
    *trailingOut = block + head;
    return new (block) T(std::forward<Args>(args)...);
  }
  // What a counted reference to a placed container holds (the owner of an aliasing shared_ptr);
  // only asked while such a reference, or the creator's, is held.
  std::shared_ptr<JXArena> keeper() const { return self_.lock(); }

  // Keeps the key as long as the arena lives.
  void keepKey(const JXKeyRef& key) { keys_.push_back(key); }

  void retain() { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release() {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) destroy();
  }
  void retainText() noexcept override { retain(); }
  void releaseText() noexcept override { release(); }

 private:
  struct Block;
  JXArena() = default;
  ~JXArena() = default;
  // `size` bytes aligned for a pointer.
  void* allocateText(size_t size) {
    size = (size + 7) & ~size_t(7);
    if (size_t(limit_ - cursor_) >= size) {
      void* p = cursor_;
      cursor_ += size;
      return p;
    }
    return allocateSlow(size);
  }
  void* allocateSlow(size_t size);
  void destroy();

  // One reference is the shared_ptr control block's, dropped when its count ends.
  std::atomic<size_t> refs_{1};
  std::weak_ptr<JXArena> self_;
  char* cursor_ = nullptr;
  char* limit_ = nullptr;
  Block* blocks_ = nullptr;
  std::vector<JXKeyRef> keys_;
};

// A shared_ptr allocator that places one object, and `trailing` bytes behind it, in an arena;
// each block it hands out holds a reference to the arena until the shared_ptr lets it go.
// The trailing bytes' address is left in *trailingOut.
template <class T>
struct JXArenaAllocator {
  using value_type = T;
  static constexpr size_t kAlign = alignof(std::max_align_t);

  JXArenaAllocator(JXArena* arena, size_t trailing, void** trailingOut)
      : arena(arena), trailing(trailing), trailingOut(trailingOut) {}
  template <class U>
  JXArenaAllocator(const JXArenaAllocator<U>& o) noexcept
      : arena(o.arena), trailing(o.trailing), trailingOut(o.trailingOut) {}

  static size_t headSize(size_t n) { return (sizeof(T) * n + kAlign - 1) / kAlign * kAlign; }
  T* allocate(size_t n) {
    char* block = static_cast<char*>(arena->allocate(headSize(n) + trailing));
    arena->retain();
    if (trailingOut) *trailingOut = block + headSize(n);
    return reinterpret_cast<T*>(block);
  }
  // The block stays in the arena; only the arena's count drops.
  void deallocate(T*, size_t) noexcept { arena->release(); }
  template <class U>
  bool operator==(const JXArenaAllocator<U>& o) const {
    return arena == o.arena;
  }

  JXArena* arena;
  size_t trailing;
  void** trailingOut;
};
