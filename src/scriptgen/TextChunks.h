#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringConverter>
#include <QStringView>

#include <memory>
#include <type_traits>
#include <vector>

namespace vendrel {

/// A text built by appending, kept as UTF-8 in blocks. Nothing is ever moved to a
/// larger block, texts are joined by handing over their blocks, and UTF-8 takes half the memory of the
/// mostly ASCII script in UTF-16: a script of tens of megabytes is written once, into its blocks.
class TextChunks
{
public:
    TextChunks() = default;
    TextChunks(TextChunks&&) = default;
    TextChunks& operator=(TextChunks&&) = default;

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

    /// Appends the whole of `other` by taking over its blocks; `other` is left empty.
    void splice(TextChunks&& other);

    /// Length in UTF-8 bytes.
    qsizetype size() const { return m_size; }

    /// The text's bytes, block by block; valid while the text lives unchanged.
    std::vector<QByteArrayView> pieces() const;
    QByteArray toUtf8() const;
    QString toString() const;

private:
    /// Gives a block back; knows its size.
    struct FreeBlock
    {
        qsizetype size = 0;
        void operator()(char* block) const;
    };
    struct Chunk
    {
        std::unique_ptr<char[], FreeBlock> data;
        qsizetype used = 0;
        qsizetype capacity = 0;
    };
    // Blocks grow from 64 KiB to 1 MiB: small scripts stay small, and a text wastes at most one block.
    static constexpr qsizetype firstChunk = qsizetype(1) << 16;
    static constexpr qsizetype largestChunk = qsizetype(1) << 20;

    std::vector<Chunk> m_chunks;
    qsizetype m_size = 0;
    QString m_scratch;
    QStringEncoder m_encoder{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};

} // namespace vendrel
