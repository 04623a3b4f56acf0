#include "TextChunks.h"

#include <QtGlobal>

#include <algorithm>
#include <iterator>
#include <new>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace vendrel {

namespace {

/// A block of `size` writable bytes. On Linux its pages are made present at once: one call instead of a
/// page fault for every 4 KiB the script fills, which on virtual machines costs more than the writing.
char* allocateBlock(qsizetype size)
{
#ifdef Q_OS_LINUX
    void* block = mmap(nullptr, std::size_t(size), PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (block == MAP_FAILED)
        throw std::bad_alloc();
    return static_cast<char*>(block);
#else
    return new char[std::size_t(size)];
#endif
}

/// Makes the pages of a large, freshly allocated result present at once where the system can, for the
/// same reason; elsewhere they fault in as they are written.
void prefault([[maybe_unused]] void* start, [[maybe_unused]] qsizetype bytes)
{
#if defined(Q_OS_LINUX) && defined(MADV_POPULATE_WRITE)
    constexpr quintptr page = 4096;
    if (bytes < qsizetype(1) << 20)
        return;
    const quintptr begin = (quintptr(start) + page - 1) & ~(page - 1);
    const quintptr end = (quintptr(start) + quintptr(bytes)) & ~(page - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#endif
}

} // namespace

void TextChunks::FreeBlock::operator()(char* block) const
{
#ifdef Q_OS_LINUX
    munmap(block, std::size_t(size));
#else
    delete[] block;
#endif
}

void TextChunks::appendView(QStringView text)
{
    const qsizetype most = m_encoder.requiredSpace(text.size());
    if (m_chunks.empty() || m_chunks.back().capacity - m_chunks.back().used < most) {
        const qsizetype next =
            m_chunks.empty() ? firstChunk : std::min(largestChunk, 2 * m_chunks.back().capacity);
        const qsizetype capacity = std::max(next, most);
        m_chunks.push_back(
            {std::unique_ptr<char[], FreeBlock>(allocateBlock(capacity), FreeBlock{capacity}), 0, capacity});
    }
    Chunk& chunk = m_chunks.back();
    char* const start = chunk.data.get() + chunk.used;
    const qsizetype written = m_encoder.appendToBuffer(start, text) - start;
    chunk.used += written;
    m_size += written;
}

void TextChunks::splice(TextChunks&& other)
{
    m_chunks.insert(m_chunks.end(), std::make_move_iterator(other.m_chunks.begin()),
                    std::make_move_iterator(other.m_chunks.end()));
    m_size += other.m_size;
    other.m_chunks.clear();
    other.m_size = 0;
}

std::vector<QByteArrayView> TextChunks::pieces() const
{
    std::vector<QByteArrayView> result;
    result.reserve(m_chunks.size());
    for (const Chunk& chunk : m_chunks)
        result.emplace_back(chunk.data.get(), chunk.used);
    return result;
}

QByteArray TextChunks::toUtf8() const
{
    QByteArray result;
    result.reserve(m_size);
    prefault(result.data(), m_size);
    for (const Chunk& chunk : m_chunks)
        result.append(chunk.data.get(), chunk.used);
    return result;
}

QString TextChunks::toString() const
{
    // UTF-16 never needs more code units than UTF-8 has bytes.
    QString result(m_size, Qt::Uninitialized);
    QChar* const start = result.data();
    prefault(start, m_size * qsizetype(sizeof(QChar)));
    QChar* out = start;
    QStringDecoder decoder(QStringConverter::Utf8);
    for (const Chunk& chunk : m_chunks)
        out = decoder.appendToBuffer(out, QByteArrayView(chunk.data.get(), chunk.used));
    result.truncate(out - start);
    return result;
}

} // namespace vendrel
