// The box boundary: between a text document's Unicode content and the
// program's GB18030 texts with CR LF line breaks.
//
// Nothing changes on the way. Reading takes each block's raw text (so a
// no-break space stays a no-break space), turns a line separator inside a
// block (Shift+Enter, or <br> in pasted HTML) into CR LF, drops embedded
// objects such as pasted images, and joins the blocks with CR LF; formatting
// never reaches the program. Writing treats CR LF, a lone CR and a lone LF
// each as one line break, so every line becomes one block. Characters that
// GBK lacks (emoji, rare ideographs) pass as their GB18030 sequences.
#pragma once

#include <QString>
#include <string_view>

#include "convert/text_ops.h"

class QTextDocument;

namespace marvoset {

// The document's whole content as GB18030 with CR LF; "" when it is empty.
Text ReadDocumentText(const QTextDocument& document);

// The GB18030 text as the plain text to set on a box: lines joined by '\n'.
QString ToPlainBoxText(std::string_view text);

// The GB18030 text as a QString, unchanged (CR LF stays CR LF).
QString ToQString(std::string_view text);

}  // namespace marvoset
