#include "cli/run.h"

#include <CLI/CLI.hpp>
#include <new>
#include <optional>
#include <sstream>
#include <string_view>

#include "cli/file_io.h"
#include "cli/worker.h"
#include "convert/converter.h"
#include "convert/encoding.h"

#ifndef MARVOSET_VERSION
#define MARVOSET_VERSION "unknown"
#endif

namespace marvoset::cli {
namespace {

constexpr std::string_view kProgram = "marvoset-convert";
constexpr std::string_view kStdinName = "standard input";
constexpr std::string_view kStdoutName = "standard output";

struct Direction {
  const ConversionRule* rule;
  const ConversionRule* reverse_rule;
  std::string_view from_name;   // the input's format
  std::string_view from_shape;  // an entry of it
  std::string_view to_name;
  std::string_view reverse_option;
};

constexpr Direction kToQq{&kSogouToQqRule,    &kQqToSogouRule, "Sogou Pinyin",
                          "key,digit=phrase", "QQ Pinyin",     "--to sogou"};
constexpr Direction kToSogou{&kQqToSogouRule,    &kSogouToQqRule, "QQ Pinyin",
                             "key=digit,phrase", "Sogou Pinyin",  "--to qq"};

// An encoding named on the command line.
struct FileEncoding {
  Encoding encoding;
  bool bom;  // for output: write a byte order mark
};

std::optional<FileEncoding> ParseEncoding(const std::string& name) {
  if (name == "utf-8") return FileEncoding{Encoding::kUtf8, false};
  if (name == "utf-8-bom") return FileEncoding{Encoding::kUtf8, true};
  if (name == "utf-16le") return FileEncoding{Encoding::kUtf16Le, true};
  if (name == "utf-16be") return FileEncoding{Encoding::kUtf16Be, true};
  if (name == "gbk") return FileEncoding{Encoding::kGbk, false};
  if (name == "gb18030") return FileEncoding{Encoding::kGb18030, false};
  return std::nullopt;  // "auto"
}

struct Options {
  std::string to;
  std::string input = "-";
  std::string output = "-";
  std::string merge;
  std::string input_encoding = "auto";
  std::string output_encoding;
};

void Write(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

void Report(std::FILE* err, const std::string& message) {
  std::string line(kProgram);
  line += ": ";
  line += message;
  line += '\n';
  Write(err, line);
}

std::string Quoted(std::string_view name) {
  if (name == kStdinName || name == kStdoutName) return std::string(name);
  return "'" + std::string(name) + "'";
}

// How a list's bytes are read, for messages.
struct ListForm {
  std::string name;
  Encoding encoding = Encoding::kGb18030;
  bool bom = false;
  std::size_t bom_length = 0;

  // Settles the encoding from the list's first bytes (all of them, or at
  // least four): the one named, or the byte order mark's, or, without one,
  // UTF-8 when `head` is valid UTF-8 and GB18030 otherwise.
  void SettleEncoding(std::string_view head, const std::optional<FileEncoding>& forced) {
    if (forced) {
      encoding = forced->encoding;
      bom = BomLength(head, encoding) > 0;
    } else {
      const DetectedEncoding detected = DetectEncoding(head);
      encoding = detected.encoding;
      bom = detected.bom;
    }
    bom_length = bom ? ByteOrderMark(encoding).size() : 0;
  }
};

// `at`: the bytes from the error's offset on (a few are shown); `offset`
// counts the byte order mark.
std::string InvalidBytesMessage(const ListForm& list, const TextError& e, std::uint64_t offset,
                                std::string_view at) {
  std::ostringstream s;
  if (e.code_point != 0) {
    s << Quoted(list.name) << ": line " << e.line << ": character " << FormatCodePoint(e.code_point)
      << " (byte offset " << offset << ") has no GB18030 form and cannot be converted";
    return s.str();
  }
  s << Quoted(list.name) << ": invalid " << EncodingName(list.encoding) << " bytes at line "
    << e.line << ", byte offset " << offset << " (";
  at = at.substr(0, 4);
  for (std::size_t i = 0; i < at.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(at[i]));
    s << (i > 0 ? " " : "") << hex;
  }
  if (at.empty()) s << "end of file";
  s << ")";
  if (list.encoding == Encoding::kGb18030 && !list.bom) {
    s << "; if the file is in another encoding, name it with --input-encoding";
  }
  return s.str();
}

// A list read whole from a file and decoded into the library's text (the
// merge file).
struct LoadedList : ListForm {
  InputBytes bytes;
  std::string storage;
  std::string_view body;  // the bytes after the byte order mark
  std::string_view text;  // decoded: GB18030, CR LF

  void Release() {
    text = body = {};
    bytes.Release();
    std::string().swap(storage);
  }
};

// Reads `path` ("-" for `in`) whole, settles its encoding and decodes it.
// Reports and returns false on failure.
bool Load(const std::string& path, std::FILE* in, const std::optional<FileEncoding>& forced,
          LoadedList& list, std::FILE* err) {
  list.name = path == "-" ? std::string(kStdinName) : path;
  std::string reason;
  const bool read =
      path == "-" ? list.bytes.ReadStream(in, reason) : list.bytes.ReadFile(path, reason);
  if (!read) {
    Report(err, "cannot read " + Quoted(list.name) + ": " + reason);
    return false;
  }
  const std::string_view bytes = list.bytes.view();
  list.SettleEncoding(bytes, forced);
  list.body = bytes.substr(list.bom_length);
  const DecodeResult decoded = DecodeToGb18030(list.body, list.encoding, list.storage);
  if (!decoded.ok) {
    const std::size_t offset = decoded.error.offset + list.bom_length;
    Report(err, InvalidBytesMessage(list, decoded.error, offset, bytes.substr(offset)));
    return false;
  }
  list.text = decoded.text;
  return true;
}

std::string UnrepresentableMessage(const ListForm& list, const TextError& e, Encoding to) {
  std::ostringstream s;
  s << Quoted(list.name) << ": line " << e.line << ": character " << FormatCodePoint(e.code_point)
    << " cannot be represented in " << EncodingName(to)
    << "; choose an output encoding that has it (gb18030, utf-8 or utf-16le)";
  return s.str();
}

bool CheckRepresentable(const LoadedList& list, Encoding to, std::FILE* err) {
  if (list.encoding == to) return true;
  const std::optional<TextError> bad = FindUnrepresentable(list.text, to);
  if (!bad) return true;
  Report(err, UnrepresentableMessage(list, *bad, to));
  return false;
}

constexpr std::string_view kFooter = R"(Examples:
  marvoset-convert --to qq sogou.txt -o qq.txt
      Sogou Pinyin list (dz,1=北京市海淀区) to QQ Pinyin list (dz=1,北京市海淀区).
  marvoset-convert --to sogou qq.txt -o sogou.txt
      QQ Pinyin list to Sogou Pinyin list.
  marvoset-convert --to qq --merge qq.txt sogou.txt -o all.txt
      The converted Sogou list, the separator comment line, then qq.txt.

Encodings: auto (input only), utf-8, utf-8-bom, utf-16le, utf-16be, gbk, gb18030.
  auto: a byte order mark decides; otherwise valid UTF-8 is UTF-8, anything
  else GB18030. --input-encoding applies to INPUT and to the --merge file.
  The output keeps the input's encoding and byte order mark unless
  --output-encoding is given; utf-16le, utf-16be and utf-8-bom output start
  with a byte order mark. Line breaks are read as CR LF or LF and written as
  CR LF.

Exit status: 0 converted; 1 the input is not a list of the expected kind;
  2 usage error; 3 input/output error (unreadable or invalid input,
  unwritable output, a character the output encoding lacks). On failure
  nothing is written.)";

// Parses the command line. Returns an exit status when the run ends here
// (help, version, usage error), or nothing to go on.
std::optional<int> ParseArguments(const std::vector<std::string>& args, Options& options,
                                  std::FILE* out, std::FILE* err) {
  CLI::App app{
      "Converts a custom-phrase list between Sogou Pinyin (key,digit=phrase) and "
      "QQ Pinyin (key=digit,phrase).",
      std::string(kProgram)};
  app.option_defaults()->always_capture_default(false);
  app.footer(std::string(kFooter));
  app.set_version_flag("--version", std::string(kProgram) + " " + MARVOSET_VERSION,
                       "Print the version and exit");
  app.add_option("--to", options.to,
                 "qq: INPUT is a Sogou Pinyin list, the output a QQ Pinyin list; "
                 "sogou: the reverse")
      ->required()
      ->check(CLI::IsMember({"qq", "sogou"}).description(""))
      ->type_name("qq|sogou");
  app.add_option("INPUT", options.input, "The list to convert; - or absent: standard input")
      ->type_name("FILE");
  app.add_option("-o,--output", options.output,
                 "Output file; - or absent: standard output. Written only on success")
      ->type_name("FILE");
  app.add_option("--merge", options.merge,
                 "Follow the converted list with the separator comment line and FILE's list, "
                 "as the window's merge mode does")
      ->type_name("FILE");
  app.add_option("--input-encoding", options.input_encoding, "Encoding of INPUT (default auto)")
      ->check(
          CLI::IsMember({"auto", "utf-8", "utf-8-bom", "utf-16le", "utf-16be", "gbk", "gb18030"})
              .description(""))
      ->type_name("ENC");
  app.add_option("--output-encoding", options.output_encoding,
                 "Encoding of the output (default: the input's)")
      ->check(CLI::IsMember({"utf-8", "utf-8-bom", "utf-16le", "utf-16be", "gbk", "gb18030"})
                  .description(""))
      ->type_name("ENC");

  std::vector<const char*> argv;
  argv.reserve(args.size() + 1);
  if (args.empty()) argv.push_back(kProgram.data());
  for (const std::string& a : args) argv.push_back(a.c_str());
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& e) {
    std::ostringstream out_text, err_text;
    if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      app.exit(e, out_text, err_text);  // --help or --version
      Write(out, out_text.str());
      return kExitOk;
    }
    Report(err, std::string(e.what()) + "\nRun with --help for more information.");
    return kExitUsage;
  }
  if (options.input == "-" && options.merge == "-") {
    Report(err,
           "INPUT and --merge cannot both be standard input\n"
           "Run with --help for more information.");
    return kExitUsage;
  }
  return std::nullopt;
}

// The input is read, decoded, converted, encoded and written in pieces of
// about this size, each cut just after a line feed. Two pieces are prepared
// at a time, one on a second thread, while a third thread writes the ones
// before; nothing the size of the whole list is ever held.
constexpr std::size_t kPieceBytes = 256 * 1024;

// Encodes the GB18030 `text` into `to`, appending to `out`. Returns the first
// character `to` lacks, if any.
std::optional<TextError> EncodeInto(std::string_view text, Encoding to, std::string& out) {
  TextError error;
  const EncodeStatus status = EncodeFromGb18030(
      text, to,
      [&out](std::string_view bytes) {
        out.append(bytes);
        return true;
      },
      &error);
  if (status == EncodeStatus::kUnrepresentable) return error;
  return std::nullopt;
}

// The output of one run. It is opened when the first bytes arrive. A
// failure to open or write it ends the writing, but not the run: the input
// is still read to its end, so that its faults, which matter more, are the
// ones reported.
class RunOutput {
 public:
  RunOutput(const std::string& path, std::FILE* stream, const FileEncoding& form)
      : path_(path), stream_(stream), form_(form) {}

  bool writing() const { return writing_; }
  void Stop() { writing_ = false; }
  const std::string& failure() const { return failure_; }
  std::string name() const { return path_ == "-" ? std::string(kStdoutName) : path_; }

  // Hands `bytes`, in the output encoding, to the output (they are taken;
  // see Output::Write).
  void Write(std::string& bytes) {
    if (!writing_ || !Open()) return;
    if (!output_.Write(bytes, failure_)) writing_ = false;
  }

  // Encodes the GB18030 `text` and writes it; every character of it must
  // have a form in the output encoding.
  void Encode(std::string_view text) {
    encoded_.clear();
    if (form_.encoding == Encoding::kGb18030) {
      encoded_.assign(text);
    } else {
      EncodeInto(text, form_.encoding, encoded_);
    }
    Write(encoded_);
  }

  bool Commit() {
    if (!writing_ || !Open()) return false;
    return output_.Commit(failure_);
  }

 private:
  bool Open() {
    if (opened_) return writing_;
    opened_ = true;
    if (path_ == "-") {
      output_.OpenStream(stream_);
    } else if (!output_.OpenFile(path_, failure_)) {
      writing_ = false;
      return false;
    }
    std::string bom(form_.bom ? ByteOrderMark(form_.encoding) : "");
    if (!output_.Write(bom, failure_)) writing_ = false;
    return writing_;
  }

  Output output_;
  std::string path_;
  std::FILE* stream_;
  FileEncoding form_;
  bool opened_ = false;
  bool writing_ = true;
  std::string failure_;  // why the output failed
  std::string encoded_;
};

// The list to convert, read a part at a time: a file from wherever a part
// is wanted, or standard input, which cannot be read twice and so is read
// whole first.
class InputList : public ListForm {
 public:
  bool Open(const std::string& path, std::FILE* in, std::string& error) {
    name = path == "-" ? std::string(kStdinName) : path;
    stream_ = path == "-";
    return stream_ ? bytes_.ReadStream(in, error) : file_.Open(path, error);
  }

  // Appends up to `size` bytes from byte `offset` (counting the byte order
  // mark) on to `out`; fewer only at the end.
  bool Read(std::uint64_t offset, std::size_t size, std::string& out, std::string& error) {
    if (!stream_) return file_.Read(offset, size, out, error);
    const std::string_view all = bytes_.view();
    if (offset < all.size()) out.append(all.substr(static_cast<std::size_t>(offset), size));
    return true;
  }

  void Close() {
    file_.Close();
    bytes_.Release();
  }

 private:
  bool stream_ = false;
  InputFile file_;
  InputBytes bytes_;
};

// Whether all of the input is valid UTF-8. Stops at the first byte that is
// not: a GB18030 list is known for one after its first Chinese character.
bool ValidUtf8Throughout(InputList& input, bool& valid, std::string& error) {
  std::string chunk;
  std::uint64_t next = 0;  // where the next read starts
  for (;;) {
    const std::size_t before = chunk.size();
    if (!input.Read(next, kPieceBytes, chunk, error)) return false;
    next += chunk.size() - before;
    const bool end = chunk.size() < before + kPieceBytes;
    // A character cut short by the read waits for the rest of it.
    std::size_t cut = chunk.size();
    if (!end) {
      const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(chunk[i]); };
      while (cut > 0 && chunk.size() - cut < 3 && (byte(cut - 1) & 0xC0) == 0x80) --cut;
      if (cut > 0 && byte(cut - 1) >= 0xC0) --cut;
    }
    if (!IsValidUtf8(std::string_view(chunk).substr(0, cut))) {
      valid = false;
      return true;
    }
    if (end) {
      valid = true;
      return true;
    }
    chunk.erase(0, cut);
  }
}

// Opens the input and settles its encoding: the one named, or the byte
// order mark's, or, without one, UTF-8 when all of it is valid UTF-8 and
// GB18030 otherwise. Reports and returns false on failure.
bool OpenInput(const std::string& path, std::FILE* in, const std::optional<FileEncoding>& forced,
               InputList& input, std::FILE* err) {
  std::string reason;
  std::string head;
  bool ok = input.Open(path, in, reason) && input.Read(0, 4, head, reason);
  if (ok) {
    input.SettleEncoding(head, forced);
    // Four bytes tell a byte order mark; without one, read on.
    bool utf8 = false;
    if (!forced && !input.bom && (ok = ValidUtf8Throughout(input, utf8, reason))) {
      input.encoding = utf8 ? Encoding::kUtf8 : Encoding::kGb18030;
    }
  }
  if (!ok) {
    Report(err, "cannot read " + Quoted(input.name) + ": " + reason);
    return false;
  }
  return true;
}

// The line (from 1) of byte `offset` of the input's body, for a message:
// the input is read again up to it.
std::size_t LineOf(InputList& input, std::uint64_t offset) {
  std::size_t line = 1;
  std::string chunk;
  std::string ignored;
  for (std::uint64_t pos = 0; pos < offset;) {
    chunk.clear();
    // Chunks of even size keep UTF-16 code units whole.
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(kPieceBytes, offset - pos));
    if (!input.Read(input.bom_length + pos, size, chunk, ignored) || chunk.empty()) break;
    line += LineAt(chunk, chunk.size(), input.encoding) - 1;
    pos += chunk.size();
  }
  return line;
}

// Cuts the input's body into pieces that end just after a line feed (the
// last one wherever the input ends).
class PieceReader {
 public:
  explicit PieceReader(InputList& input) : input_(input) {}

  // Puts the next piece's bytes into `bytes`, its offset in the body into
  // `begin`, and whether it is the last into `last`. Returns false when no
  // piece is left, or on a read error (with `error` set).
  bool Next(std::string& bytes, std::uint64_t& begin, bool& last, std::string& error) {
    error.clear();
    bytes.assign(pending_);
    pending_.clear();
    begin = offset_;
    std::size_t search_from = kPieceBytes;
    std::size_t cut = 0;
    for (;;) {
      if (bytes.size() < search_from + kPieceBytes && !end_) {
        const std::size_t before = bytes.size();
        if (!input_.Read(input_.bom_length + offset_ + before, kPieceBytes, bytes, error)) {
          return false;
        }
        end_ = bytes.size() < before + kPieceBytes;
      }
      cut = PieceEnd(bytes, 0, std::min(search_from, bytes.size()), input_.encoding);
      if (cut < bytes.size() || end_) break;
      search_from = bytes.size() - bytes.size() % 2;  // a line longer than a piece: read on
    }
    pending_.assign(bytes, cut);
    bytes.resize(cut);
    offset_ += cut;
    last = end_ && pending_.empty();
    return !bytes.empty();
  }

 private:
  InputList& input_;
  std::string pending_;       // bytes read past the last cut
  std::uint64_t offset_ = 0;  // in the body, of pending_'s first byte
  bool end_ = false;          // the input has been read to its end
};

// A piece of the input, prepared on its own: decoded, converted alone and,
// for an output encoding other than GB18030, encoded.
struct Piece {
  std::uint64_t begin = 0;  // in the input's body
  bool last = false;
  std::string bytes;                 // as read
  std::optional<TextError> invalid;  // offset and line within the piece
  std::string text;                  // GB18030, converted
  std::string decoding;              // the decoder's buffer
  ListConverter::Piece converted;
  std::string encoded;
  std::optional<TextError> unrepresentable;  // line within the piece
};

void EncodePiece(Piece& piece, Encoding to) {
  piece.encoded.clear();
  piece.unrepresentable = EncodeInto(piece.text, to, piece.encoded);
}

void PreparePiece(Piece& piece, Encoding from, const ListConverter& converter, Encoding to) {
  piece.invalid.reset();
  piece.unrepresentable.reset();
  const DecodeResult decoded = DecodeToGb18030(piece.bytes, from, piece.decoding);
  if (!decoded.ok) {
    piece.invalid = decoded.error;
    return;
  }
  // GB18030 needing no change is converted where it was read.
  if (decoded.text.data() == piece.bytes.data()) {
    piece.text.swap(piece.bytes);
  } else {
    piece.text.swap(piece.decoding);
  }
  if (piece.last && !piece.text.ends_with("\r\n")) piece.text += "\r\n";
  converter.ConvertAlone(piece.text.data(), piece.text.size(), piece.converted);
  if (to != Encoding::kGb18030) EncodePiece(piece, to);
}

// Whether the input, though not a list of the kind asked for, passes the
// probe of the other kind. It is read and decoded again.
bool LooksLikeTheOtherKind(InputList& input, const ConversionRule& other) {
  PieceReader reader(input);
  std::string bytes;
  std::string storage;
  std::string error;
  std::uint64_t begin = 0;
  bool last = false;
  while (reader.Next(bytes, begin, last, error)) {
    const DecodeResult decoded = DecodeToGb18030(bytes, input.encoding, storage);
    if (!decoded.ok) return false;
    if (ProbeList(decoded.text, other)) return true;
  }
  return false;
}

int Convert(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err) {
  const Direction& direction = options.to == "qq" ? kToQq : kToSogou;
  const std::optional<FileEncoding> named_input = ParseEncoding(options.input_encoding);

  InputList input;
  if (!OpenInput(options.input, in, named_input, input, err)) return kExitIo;
  FileEncoding out_form{input.encoding, input.bom};
  if (!options.output_encoding.empty()) out_form = *ParseEncoding(options.output_encoding);
  RunOutput output(options.output, out, out_form);

  // Faults are reported in this order: unreadable or invalid input, an
  // unreadable or invalid merge file, an input that is not a list, a
  // character the output encoding lacks, then a failure of the output.
  ListConverter converter(*direction.rule);
  std::optional<std::string> unrepresentable;
  // Joins a prepared piece to those before it and writes it; false when
  // the input is invalid there.
  const auto finish = [&](Piece& piece) {
    if (piece.invalid) {
      TextError error = *piece.invalid;
      const std::uint64_t offset = piece.begin + error.offset;
      error.line = LineOf(input, piece.begin) - 1 + error.line;
      Report(err, InvalidBytesMessage(input, error, offset + input.bom_length,
                                      std::string_view(piece.bytes).substr(error.offset)));
      return false;
    }
    const bool changed = converter.Join(piece.text.data(), piece.converted);
    if (out_form.encoding == Encoding::kGb18030) {
      output.Write(piece.text);
      return true;
    }
    if (!output.writing()) return true;
    if (changed) EncodePiece(piece, out_form.encoding);
    if (piece.unrepresentable) {
      // The conversion only moves ASCII separators: a character the output
      // lacks is the input's, and is reported at its line there.
      piece.unrepresentable->line += LineOf(input, piece.begin) - 1;
      unrepresentable = UnrepresentableMessage(input, *piece.unrepresentable, out_form.encoding);
      output.Stop();
      return true;
    }
    output.Write(piece.encoded);
    return true;
  };

  {
    PieceReader reader(input);
    Piece pieces[2];
    Worker worker;
    std::string reason;
    for (bool more = true; more;) {
      std::size_t count = 0;
      for (; count < 2; ++count) {
        Piece& piece = pieces[count];
        if (!reader.Next(piece.bytes, piece.begin, piece.last, reason)) break;
      }
      if (!reason.empty()) {
        Report(err, "cannot read " + Quoted(input.name) + ": " + reason);
        return kExitIo;
      }
      more = count == 2;
      if (count == 2) {
        worker.Run([&] { PreparePiece(pieces[1], input.encoding, converter, out_form.encoding); });
      }
      if (count > 0) PreparePiece(pieces[0], input.encoding, converter, out_form.encoding);
      if (count == 2) worker.Wait();
      for (std::size_t k = 0; k < count; ++k) {
        if (!finish(pieces[k])) return kExitIo;
      }
    }
  }

  LoadedList merge;
  const bool merging = !options.merge.empty();
  if (merging && !Load(options.merge, in, named_input, merge, err)) return kExitIo;

  if (!converter.probe_passed()) {
    std::string message = Quoted(input.name) + ": not a " + std::string(direction.from_name) +
                          " list: no entry of the form " + std::string(direction.from_shape) +
                          " (one digit) was found";
    if (LooksLikeTheOtherKind(input, *direction.reverse_rule)) {
      message += "; it looks like a " + std::string(direction.to_name) +
                 " list: to convert it, use " + std::string(direction.reverse_option);
    }
    Report(err, message);
    return kExitNotAList;
  }
  if (unrepresentable) {
    Report(err, *unrepresentable);
    return kExitIo;
  }
  if (merging) {
    if (!CheckRepresentable(merge, out_form.encoding, err)) return kExitIo;
    // Every character has a form in the output encoding now, the
    // separator's too (it is in GBK).
    output.Encode(direction.rule->merge_separator);
    output.Encode(merge.text);
  }
  // The inputs are let go first: a file that is also the output can then be
  // replaced on every system.
  input.Close();
  merge.Release();
  if (!output.Commit()) {
    Report(err, "cannot write " + Quoted(output.name()) + ": " + output.failure());
    return kExitIo;
  }
  return kExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err) {
  Options options;
  if (const std::optional<int> status = ParseArguments(args, options, out, err)) return *status;
  try {
    return Convert(options, in, out, err);
  } catch (const std::bad_alloc&) {
    // Nothing was written: the output is discarded as the stack unwinds.
    Report(err, "not enough memory to convert the list; nothing was written");
    return kExitIo;
  }
}

}  // namespace marvoset::cli
