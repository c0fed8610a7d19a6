#pragma once
// Memory for a configuration's keys, values and tree nodes. A load adds tens of thousands of
// small blocks that live as long as the configuration: they are cut from large chunks instead
// of one heap allocation each, and all go at once with the arena. A block given back is kept
// for the next one of its size, so setting and removing keys again and again does not grow it.

#include <cstddef>
#include <memory_resource>
#include <new>
#include <vector>

class Entry_Arena : public std::pmr::memory_resource {
public:
  Entry_Arena() = default;
  Entry_Arena(const Entry_Arena&) = delete;
  Entry_Arena& operator=(const Entry_Arena&) = delete;
  ~Entry_Arena() override {
    for (char* chunk : chunks_) ::operator delete(chunk);
  }

private:
  static constexpr std::size_t grain = alignof(std::max_align_t);
  // Larger blocks (long values) are rare and come from the heap.
  static constexpr std::size_t largest = 512;
  static constexpr std::size_t chunk_size = 64 * 1024;

  struct Free_Block {
    Free_Block* next;
  };

  static bool pooled(std::size_t bytes, std::size_t alignment) {
    return bytes <= largest && alignment <= grain;
  }
  static std::size_t size_class(std::size_t bytes) { return bytes ? (bytes + grain - 1) / grain : 1; }

  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    if (!pooled(bytes, alignment)) return ::operator new(bytes, std::align_val_t(alignment));
    const std::size_t index = size_class(bytes);
    if (Free_Block* block = free_[index]) {
      free_[index] = block->next;
      return block;
    }
    const std::size_t size = index * grain;
    if (left_ < size) {
      chunks_.push_back(static_cast<char*>(::operator new(chunk_size)));
      next_ = chunks_.back();
      left_ = chunk_size;
    }
    void* block = next_;
    next_ += size;
    left_ -= size;
    return block;
  }

  void do_deallocate(void* pointer, std::size_t bytes, std::size_t alignment) override {
    if (!pooled(bytes, alignment)) {
      ::operator delete(pointer, std::align_val_t(alignment));
      return;
    }
    const std::size_t index = size_class(bytes);
    free_[index] = new (pointer) Free_Block{free_[index]};
  }

  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }

  std::vector<char*> chunks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
  Free_Block* free_[largest / grain + 1] = {};
};
