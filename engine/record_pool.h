// Records of one size taken from large blocks: a full-size case holds a million assessments, and
// one heap allocation each would cost a header per record besides the records themselves.
#pragma once

#include <cstddef>
#include <mutex>

namespace halvorine {

class RecordPool {
public:
    // Records of recordBytes at the given alignment (a power of two), blockBytes (a power of two,
    // aligned to itself) a block.
    RecordPool(std::size_t recordBytes, std::size_t alignment, std::size_t blockBytes = std::size_t{1} << 20);
    ~RecordPool();
    RecordPool(const RecordPool&) = delete;
    RecordPool& operator=(const RecordPool&) = delete;

    // Room for one record; null when no memory is left.
    void* Take() noexcept;
    // Gives back a record Take gave. Blocks whose records are all given back are kept for the
    // records taken next (and go back to the system with the pool).
    void Give(void* record) noexcept;

    std::size_t BlockCount() const;  // blocks held, empty ones included

private:
    struct Block;
    Block* NewBlock() noexcept;
    void Release(Block* b) noexcept;
    void Unlink(Block* b) noexcept;
    void PushFront(Block* b) noexcept;

    std::size_t stride_;
    std::size_t firstOffset_;
    std::size_t perBlock_;
    std::size_t blockBytes_;
    Block* open_ = nullptr;   // blocks with room: a list through Block::Next/Prev
    Block* empty_ = nullptr;  // blocks with every record given back: a list through Block::Next
    std::size_t blocks_ = 0;
    mutable std::mutex mutex_;
};

}  // namespace halvorine
