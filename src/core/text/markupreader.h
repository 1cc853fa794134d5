// The reader of the program's own line-oriented markup files (project, settings, language).
#pragma once

#include "core/text/textfiles.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace Feedsmith {

// One line of a markup file, cut into its four parts: as text, or as the file's bytes.
template<typename Text>
struct BasicMarkupRow
{
    Text name; // start-tag text up to its first space
    Text value; // text after the start tag up to the next "<", "[:br:]" turned into CR LF
    Text closing; // the name inside the end tag
    Text attributes; // start-tag text from its first space on

    bool isEmpty() const { return name.isEmpty() && value.isEmpty() && closing.isEmpty(); }
};
using MarkupRow = BasicMarkupRow<QString>;
using MarkupRowBytes = BasicMarkupRow<QByteArray>;

// The rows of the file read last: one row per line, blank lines included. The table's last row
// index grows in blocks of MarkupBlockSize, and every row up to it that no line filled reads as
// empty, so callers can walk to lastRowIndex() as they always could.
class MarkupTable
{
public:
    static constexpr int MarkupBlockSize = 2000;

    // Rows 0 .. lastRowIndex() can be read; it is 2000 for up to 1999 lines, 4000 for 2000 to
    // 3999 lines, and so on.
    qsizetype lastRowIndex() const;
    const MarkupRow &row(qsizetype index) const;
    qsizetype lineCount() const { return qsizetype(m_rows.size()); }

    // Whether the last read found and opened its file.
    bool fileOpened() const { return m_fileOpened; }
    void setFileOpened(bool opened) { m_fileOpened = opened; }

    void append(MarkupRow row) { m_rows.push_back(std::move(row)); }
    void reserve(qsizetype lines) { m_rows.reserve(size_t(lines)); }

private:
    std::vector<MarkupRow> m_rows;
    bool m_fileOpened = false;
};

// Cuts text (already decoded) into rows; lines end at CR LF or a lone CR, a lone LF is text.
MarkupTable ParseMarkup(QStringView text);

// Reads folder + name, or folder + name + ".xml" when the name holds no ".rsx" (any case).
// A file that cannot be opened gives an empty table.
MarkupTable ReadMarkupFile(const QString &folder, const QString &name);

// Reads the same file as ReadMarkupFile, but hands each row to f as soon as its line is read
// instead of keeping a table; for large files that are walked once. False, and *error says why,
// when the file cannot be opened or read or is no regular file.
bool ReadMarkupRows(const QString &folder, const QString &name, const std::function<void(const MarkupRow &)> &f,
                    QString *error = nullptr, LineReading reading = {});

// ReadMarkupRows without the decoding: f gets each row as the file's bytes, and whether the file
// is read as UTF-8 (else Windows-1252); decodeLine gives the text of a part. For readers that
// decode only the parts they keep, or do their work on bytes first. The parts are views of the
// file's bytes, valid during the call only: a part kept longer is copied (QByteArray(data, size)).
bool ReadMarkupRowBytes(const QString &folder, const QString &name,
                        const std::function<void(const MarkupRowBytes &, bool utf8)> &f, QString *error = nullptr,
                        LineReading reading = {});

// ReadMarkupRowBytes for the file at path, whatever its name.
bool ReadMarkupRowBytesAt(const QString &path, const std::function<void(const MarkupRowBytes &, bool utf8)> &f,
                          QString *error = nullptr, LineReading reading = {});

// The path ReadMarkupFile opens for a folder and a name.
QString MarkupFilePath(const QString &folder, const QString &name);

// The value of a named attribute in a row's attribute text (name matched exactly), or empty.
QString GetAttribute(const QString &attributeName, const QString &attributeText);

} // namespace Feedsmith
