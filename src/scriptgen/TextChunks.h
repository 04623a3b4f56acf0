#pragma once

#include <QString>

#include <vector>

namespace vendrel {

/// A text built by appending, kept in blocks of at least 64 Ki characters. Unlike one growing string,
/// nothing is ever copied to a larger block: a script of tens of megabytes is written once into its
/// blocks and once into the result.
class TextChunks
{
public:
    /// Appends anything a QString can be appended (a QString, a literal, a QStringBuilder expression).
    template <typename Text> void append(const Text& text)
    {
        const qsizetype length = QConcatenable<Text>::size(text);
        if (m_chunks.empty() || m_chunks.back().capacity() - m_chunks.back().size() < length) {
            m_chunks.emplace_back();
            m_chunks.back().reserve(std::max<qsizetype>(minimumChunk, length));
        }
        m_chunks.back() += text;
        m_size += length;
    }

    qsizetype size() const { return m_size; }

    /// Appends the whole text to `out`.
    void appendTo(QString& out) const
    {
        for (const QString& chunk : m_chunks)
            out += chunk;
    }

private:
    static constexpr qsizetype minimumChunk = 64 * 1024;
    std::vector<QString> m_chunks;
    qsizetype m_size = 0;
};

} // namespace vendrel
