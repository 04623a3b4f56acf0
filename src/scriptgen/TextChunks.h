#pragma once

#include <QByteArray>
#include <QString>
#include <QStringConverter>
#include <QStringView>

#include <memory>
#include <type_traits>
#include <vector>

namespace vendrel {

/// A text built by appending, kept as UTF-8 in blocks of at least 2 MiB. Nothing is ever moved to a
/// larger block, and UTF-8 takes half the memory of the script's mostly ASCII text in UTF-16: a script
/// of tens of megabytes is written once into its blocks and once into the result.
class TextChunks
{
public:
    TextChunks() = default;
    TextChunks(const TextChunks&) = delete;
    TextChunks& operator=(const TextChunks&) = delete;

    /// Appends a QString, a literal or a QStringBuilder expression.
    template <typename Text> void append(const Text& text)
    {
        if constexpr (std::is_convertible_v<const Text&, QStringView>) {
            appendView(text);
        } else {
            m_scratch.resize(QConcatenable<Text>::size(text));
            QChar* out = m_scratch.data();
            QConcatenable<Text>::appendTo(text, out);
            appendView(m_scratch);
        }
    }

    void appendView(QStringView text);

    /// Length in UTF-8 bytes.
    qsizetype size() const { return m_size; }

    /// Appends the whole text to `out`.
    void appendTo(QByteArray& out) const;

private:
    struct FreeBlock
    {
        void operator()(char* block) const;
    };
    struct Chunk
    {
        std::unique_ptr<char[], FreeBlock> data;
        qsizetype used = 0;
        qsizetype capacity = 0;
    };
    static constexpr qsizetype minimumChunk = qsizetype(1) << 21;

    std::vector<Chunk> m_chunks;
    qsizetype m_size = 0;
    QString m_scratch;
    QStringEncoder m_encoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};

} // namespace vendrel
