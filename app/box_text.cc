#include "app/box_text.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <string>

#include "convert/codec.h"

namespace marvoset {
namespace {

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kObjectReplacement = 0xFFFC;

// Appends one block's text; line separators become CR LF.
void AppendBlockText(std::u16string& out, QStringView text) {
  for (const QChar ch : text) {
    if (ch.unicode() == kLineSeparator) {
      out += u"\r\n";
    } else {
      out += static_cast<char16_t>(ch.unicode());
    }
  }
}

// A block that holds an embedded object (an image from rich paste): only
// its text fragments count.
void AppendBlockWithObjects(std::u16string& out, const QTextBlock& block) {
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    if (!fragment.isValid()) continue;
    QString text = fragment.text();
    if (fragment.charFormat().objectType() != QTextFormat::NoObject) {
      text.remove(QChar(kObjectReplacement));
    }
    out.append(reinterpret_cast<const char16_t*>(text.constData()),
               static_cast<std::size_t>(text.size()));
  }
}

}  // namespace

Text ReadDocumentText(const QTextDocument& document) {
  std::u16string units;
  units.reserve(static_cast<std::size_t>(document.characterCount()) + document.blockCount());
  bool first = true;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (!first) units += u"\r\n";
    first = false;
    const QString text = block.text();
    if (text.contains(QChar(kObjectReplacement))) {
      AppendBlockWithObjects(units, block);
    } else {
      units.append(reinterpret_cast<const char16_t*>(text.constData()),
                   static_cast<std::size_t>(text.size()));
    }
  }
  // Line separators are rare; the fast path above copies whole blocks.
  if (units.find(kLineSeparator) != std::u16string::npos) {
    std::u16string joined;
    joined.reserve(units.size());
    AppendBlockText(joined, QStringView(units.data(), static_cast<qsizetype>(units.size())));
    units.swap(joined);
  }
  return Utf16ToGb18030(units);
}

QString ToPlainBoxText(std::string_view text) {
  const std::u16string units = Gb18030ToUtf16(text);
  QString out;
  out.resize(static_cast<qsizetype>(units.size()));
  QChar* dst = out.data();
  qsizetype n = 0;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u == u'\r') {
      if (i + 1 < units.size() && units[i + 1] == u'\n') ++i;
      dst[n++] = QLatin1Char('\n');
    } else {
      dst[n++] = QChar(u);
    }
  }
  out.truncate(n);
  return out;
}

QString ToQString(std::string_view text) {
  const std::u16string units = Gb18030ToUtf16(text);
  return QString(reinterpret_cast<const QChar*>(units.data()),
                 static_cast<qsizetype>(units.size()));
}

}  // namespace marvoset
