#include "app/commands.h"

#include <utility>

#include "convert/converter.h"

namespace marvoset {
namespace {

struct Direction {
  Box source;
  Box opposite;
  Text (*convert)(std::string_view);
  std::string_view merge_separator;  // GB18030
  std::string_view error_text;       // UTF-8
};

void RunCommand(CommandHost& host, const Direction& direction) {
  const bool merge = host.GetMergeState() == 1;

  Text converted = direction.convert(host.GetBoxText(direction.source));
  if (converted.empty()) {
    // A source that is not a list of this kind is an error in both modes:
    // nothing is written and the clipboard keeps what it had.
    host.ShowMessage({MessageIcon::kStop, kErrorTitle, direction.error_text});
    return;
  }

  Text out;
  if (merge) {
    // The opposite box is read after the conversion and never written.
    const Text opposite = host.GetBoxText(direction.opposite);
    out = ConcatTexts({converted, direction.merge_separator, opposite});
    host.SetResultText(out);
  } else {
    out = std::move(converted);
    host.SetBoxText(direction.opposite, out);
  }

  if (!host.PutOnClipboard(out)) {
    host.ShowMessage({MessageIcon::kStop, kErrorTitle, kClipboardFailedText});
    return;
  }
  host.ShowMessage({MessageIcon::kNone, kInformationTitle, kCopiedText});
}

}  // namespace

void OnSogouToQq(CommandHost& host) {
  RunCommand(host, {Box::kSogou, Box::kQq, &ConvertSogouToQq, kSogouToQqRule.merge_separator,
                    kNotSogouListText});
}

void OnQqToSogou(CommandHost& host) {
  RunCommand(host, {Box::kQq, Box::kSogou, &ConvertQqToSogou, kQqToSogouRule.merge_separator,
                    kNotQqListText});
}

}  // namespace marvoset
