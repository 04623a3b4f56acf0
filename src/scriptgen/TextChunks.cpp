#include "TextChunks.h"

#include <algorithm>
#include <iterator>

namespace vendrel {

void TextChunks::appendView(QStringView text)
{
    const qsizetype most = m_encoder.requiredSpace(text.size());
    if (m_chunks.empty() || m_chunks.back().capacity - m_chunks.back().used < most) {
        const qsizetype capacity = std::max(minimumChunk, most);
        m_chunks.push_back({std::make_unique_for_overwrite<char[]>(std::size_t(capacity)), 0, capacity});
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
    for (const Chunk& chunk : m_chunks)
        result.append(chunk.data.get(), chunk.used);
    return result;
}

QString TextChunks::toString() const
{
    // UTF-16 never needs more code units than UTF-8 has bytes.
    QString result(m_size, Qt::Uninitialized);
    QChar* const start = result.data();
    QChar* out = start;
    QStringDecoder decoder(QStringConverter::Utf8);
    for (const Chunk& chunk : m_chunks)
        out = decoder.appendToBuffer(out, QByteArrayView(chunk.data.get(), chunk.used));
    result.truncate(out - start);
    return result;
}

} // namespace vendrel
