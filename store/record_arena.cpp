#include "record_arena.h"

#include "huge_pages.h"
#include "ini_record.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <type_traits>

// A block is 64 KiB, aligned to its size, and starts with a header naming
// its arena and the index of its first record. A record finds both by
// rounding its own address down to the block: it needs no pointer of its
// own to its arena, which would be a third of its size.
struct RecordArena::BlockHeader {
    RecordArena *arena;
    qsizetype firstIndex;

    IniRecord *records() { return reinterpret_cast<IniRecord *>(reinterpret_cast<char *>(this) + sizeof(BlockHeader)); }
};

namespace {
constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr qsizetype kRecordsPerBlock = qsizetype((kBlockBytes - 16) / sizeof(IniRecord));
// Without a hint, slabs grow from one block to this many.
constexpr qsizetype kLargestGrowth = 64;

static_assert(sizeof(IniRecord) == 24, "a record is its offsets, lengths, section and ID");
static_assert(std::is_trivially_destructible_v<IniRecord>, "records are freed with their blocks");
static_assert(alignof(IniRecord) <= 16);
} // namespace

std::shared_ptr<RecordArena> RecordArena::create()
{
    return std::shared_ptr<RecordArena>(new RecordArena());
}

RecordArena::RecordArena()
{
    static_assert(sizeof(BlockHeader) == 16);
    m_sections.emplace_back();
    m_sectionIndexes.insert(QString(), 0);
}

RecordArena::~RecordArena()
{
    for (void *slab : m_slabs)
        std::free(slab);
}

void RecordArena::setText(QByteArray bytes, TextEncoding encoding)
{
    m_bytes = std::move(bytes);
    m_encoding = encoding;
}

void RecordArena::reserve(qsizetype count)
{
    const qsizetype free = qsizetype(m_blocks.size()) * kRecordsPerBlock - m_count
                           + qsizetype((m_slabEnd - m_slabNext) / kBlockBytes) * kRecordsPerBlock;
    if (count > free)
        m_nextSlabBlocks = std::max(m_nextSlabBlocks, (count - free + kRecordsPerBlock - 1) / kRecordsPerBlock);
}

void RecordArena::addSlab(qsizetype blocks)
{
    std::size_t bytes = std::size_t(blocks) * kBlockBytes;
    // A slab of huge pages starts on one and fills whole ones.
    const std::size_t alignment = bytes >= kHugePageBytes ? kHugePageBytes : kBlockBytes;
    bytes = (bytes + alignment - 1) / alignment * alignment;
    void *slab = std::aligned_alloc(alignment, bytes);
    if (!slab)
        throw std::bad_alloc();
    m_slabs.push_back(slab);
    adviseHugePages(slab, bytes);
    m_slabNext = static_cast<char *>(slab);
    m_slabEnd = m_slabNext + bytes;
}

void RecordArena::addBlock()
{
    if (m_slabNext == m_slabEnd) {
        addSlab(m_nextSlabBlocks);
        m_nextSlabBlocks = std::min(m_nextSlabBlocks * 2, kLargestGrowth);
    }
    auto *block = new (m_slabNext) BlockHeader{this, qsizetype(m_blocks.size()) * kRecordsPerBlock};
    m_slabNext += kBlockBytes;
    m_blocks.push_back(block);
}

IniRecord *RecordArena::make()
{
    if (m_count == qsizetype(m_blocks.size()) * kRecordsPerBlock)
        addBlock();
    IniRecord *record = new (m_blocks.back()->records() + m_count % kRecordsPerBlock) IniRecord();
    ++m_count;
    return record;
}

IniRecord *RecordArena::makeHeader(quint32 section, qint32 id)
{
    IniRecord *record = make();
    record->m_section = section;
    record->m_id = id;
    return record;
}

IniRecord *RecordArena::makeLine(quint32 section, qsizetype keyStart, qint32 keyLength, qint32 valueLength, qint32 id)
{
    IniRecord *record = make();
    record->m_keyStart = quint64(keyStart);
    record->m_fromLine = true;
    record->m_keyLength = keyLength;
    record->m_valueLength = valueLength;
    record->m_section = section;
    record->m_id = id;
    return record;
}

IniRecord *RecordArena::at(qsizetype index) const
{
    Q_ASSERT(index >= 0 && index < m_count);
    return m_blocks[size_t(index / kRecordsPerBlock)]->records() + index % kRecordsPerBlock;
}

RecordArena &RecordArena::of(const IniRecord *record)
{
    const auto block = reinterpret_cast<std::uintptr_t>(record) & ~std::uintptr_t(kBlockBytes - 1);
    return *reinterpret_cast<const BlockHeader *>(block)->arena;
}

qsizetype RecordArena::indexOf(const IniRecord *record) const
{
    const auto address = reinterpret_cast<std::uintptr_t>(record);
    auto *block = reinterpret_cast<BlockHeader *>(address & ~std::uintptr_t(kBlockBytes - 1));
    Q_ASSERT(block->arena == this);
    return block->firstIndex + (record - block->records());
}

quint32 RecordArena::sectionIndex(const QString &name)
{
    const auto found = m_sectionIndexes.constFind(name);
    if (found != m_sectionIndexes.constEnd())
        return *found;
    const auto index = quint32(m_sections.size());
    m_sections.push_back(name);
    m_sectionIndexes.insert(name, index);
    return index;
}

const RecordArena::AssignedTexts &RecordArena::assigned(const IniRecord *record) const
{
    static const AssignedTexts none;
    const auto found = m_assigned.constFind(record);
    return found == m_assigned.constEnd() ? none : *found;
}

RecordArena::AssignedTexts &RecordArena::assign(const IniRecord *record)
{
    return m_assigned[record];
}
