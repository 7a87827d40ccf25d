#include "engine/record_pool.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

#include "engine/globals.h"

namespace halvorine {

struct RecordPool::Block {
    Block* Next = nullptr;
    Block* Prev = nullptr;
    void* Free = nullptr;   // records given back, linked through their first bytes
    std::size_t Fresh = 0;  // records never taken yet start at this index
    std::size_t Live = 0;   // records taken and not given back
    bool Listed = false;    // in open_
};

namespace {

std::uintptr_t RoundUp(std::uintptr_t n, std::uintptr_t to) {
    return (n + to - 1) / to * to;
}

}  // namespace

RecordPool::RecordPool(std::size_t recordBytes, std::size_t alignment, std::size_t blockBytes)
    : stride_(RoundUp(recordBytes < sizeof(void*) ? sizeof(void*) : recordBytes,
                      alignment < alignof(void*) ? alignof(void*) : alignment)),
      firstOffset_(RoundUp(sizeof(Block), alignment < alignof(Block) ? alignof(Block) : alignment)),
      perBlock_(blockBytes > firstOffset_ ? (blockBytes - firstOffset_) / stride_ : 0), blockBytes_(blockBytes) {}

RecordPool::~RecordPool() {
    // Records still taken at exit belong to tables that are destroyed after the pool or never;
    // their blocks stay, as a heap's would.
    while (empty_) {
        Block* next = empty_->Next;
        Release(empty_);
        empty_ = next;
    }
}

RecordPool::Block* RecordPool::NewBlock() noexcept {
    if (perBlock_ == 0) return nullptr;
    // Aligned to its size, so that a record finds its block by masking its address.
    // Mapped twice the size and cut to the aligned middle. Its pages are mapped at once, which
    // costs far less than a fault for each page as the records are first written.
    void* const mapped = ::mmap(nullptr, 2 * blockBytes_, PROT_READ | PROT_WRITE,
                                MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = RoundUp(start, blockBytes_);
    if (aligned > start) ::munmap(mapped, aligned - start);
    if (aligned + blockBytes_ < start + 2 * blockBytes_)
        ::munmap(reinterpret_cast<void*>(aligned + blockBytes_), start + 2 * blockBytes_ - aligned - blockBytes_);
    ++blocks_;
    return new (reinterpret_cast<void*>(aligned)) Block();
}

void RecordPool::Release(Block* b) noexcept {
    ::munmap(b, blockBytes_);
    --blocks_;
}

void RecordPool::Unlink(Block* b) noexcept {
    if (b->Prev)
        b->Prev->Next = b->Next;
    else
        open_ = b->Next;
    if (b->Next) b->Next->Prev = b->Prev;
    b->Next = b->Prev = nullptr;
    b->Listed = false;
}

void RecordPool::PushFront(Block* b) noexcept {
    b->Prev = nullptr;
    b->Next = open_;
    if (open_) open_->Prev = b;
    open_ = b;
    b->Listed = true;
}

void* RecordPool::Take() noexcept {
    std::lock_guard<std::mutex> lock(mutex_);
    Block* b = open_;
    if (!b) {
        if (empty_) {
            b = empty_;
            empty_ = b->Next;
            b->Next = nullptr;
        } else {
            b = NewBlock();
            if (!b) return nullptr;
        }
        PushFront(b);
    }
    void* record;
    if (b->Free) {
        record = b->Free;
        b->Free = *static_cast<void**>(record);
    } else {
        record = reinterpret_cast<char*>(b) + firstOffset_ + b->Fresh * stride_;
        ++b->Fresh;
    }
    ++b->Live;
    if (!b->Free && b->Fresh == perBlock_) Unlink(b);  // full
    return record;
}

void RecordPool::Give(void* record) noexcept {
    if (!record) return;
    std::lock_guard<std::mutex> lock(mutex_);
    const auto address = reinterpret_cast<std::uintptr_t>(record);
    Block* b = reinterpret_cast<Block*>(address & ~static_cast<std::uintptr_t>(blockBytes_ - 1));
    *static_cast<void**>(record) = b->Free;
    b->Free = record;
    --b->Live;
    if (b->Live == 0) {
        if (b->Listed) Unlink(b);
        // Emptied, it starts afresh: its records are carved again in order. It is kept, as a
        // heap keeps what it was given back: the next case read finds its pages in place.
        b->Free = nullptr;
        b->Fresh = 0;
        b->Next = empty_;
        empty_ = b;
        return;
    }
    if (!b->Listed) PushFront(b);
}

std::size_t RecordPool::BlockCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return blocks_;
}

// ------------------------------------------------------------------ the assessment records

#if defined(__SANITIZE_ADDRESS__)
#define HALVORINE_PLAIN_RECORDS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HALVORINE_PLAIN_RECORDS 1
#endif
#endif

namespace {

#ifndef HALVORINE_PLAIN_RECORDS
// Never destroyed: records may be given back while other static objects are destroyed.
RecordPool& AssessmentPool() {
    static RecordPool* const pool = new RecordPool(sizeof(TAssessment), alignof(TAssessment));
    return *pool;
}
#endif

}  // namespace

// Under AddressSanitizer each record is its own allocation, so that a use after free is caught.
void* TAssessment::operator new([[maybe_unused]] std::size_t size, const std::nothrow_t& tag) noexcept {
#ifndef HALVORINE_PLAIN_RECORDS
    if (size == sizeof(TAssessment)) return AssessmentPool().Take();
#endif
    return ::operator new(size, tag);
}

void* TAssessment::operator new(std::size_t size) {
    void* p = operator new(size, std::nothrow);
    if (!p) throw std::bad_alloc();
    return p;
}

void TAssessment::operator delete(void* p, [[maybe_unused]] std::size_t size) noexcept {
#ifndef HALVORINE_PLAIN_RECORDS
    if (size == sizeof(TAssessment)) {
        AssessmentPool().Give(p);
        return;
    }
#endif
    ::operator delete(p);
}

}  // namespace halvorine
