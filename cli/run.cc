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
struct EncodingSpec {
  Encoding encoding;
  bool bom;  // for output: write a byte order mark
};

std::optional<EncodingSpec> ParseEncoding(const std::string& name) {
  if (name == "utf-8") return EncodingSpec{Encoding::kUtf8, false};
  if (name == "utf-8-bom") return EncodingSpec{Encoding::kUtf8, true};
  if (name == "utf-16le") return EncodingSpec{Encoding::kUtf16Le, true};
  if (name == "utf-16be") return EncodingSpec{Encoding::kUtf16Be, true};
  if (name == "gbk") return EncodingSpec{Encoding::kGbk, false};
  if (name == "gb18030") return EncodingSpec{Encoding::kGb18030, false};
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

// A list read from a file and decoded into the library's text.
struct LoadedList {
  std::string name;  // for messages
  InputBytes bytes;
  std::string storage;
  Encoding encoding = Encoding::kGb18030;
  bool bom = false;
  std::size_t bom_length = 0;
  std::string_view body;  // the bytes after the byte order mark
  std::string_view text;  // decoded: GB18030, CR LF

  void Release() {
    text = body = {};
    bytes.Release();
    std::string().swap(storage);
  }
};

std::string InvalidBytesMessage(const LoadedList& list, const TextError& e, std::size_t offset) {
  std::ostringstream s;
  const std::string_view all = list.bytes.view();
  if (e.code_point != 0) {
    s << Quoted(list.name) << ": line " << e.line << ": character " << FormatCodePoint(e.code_point)
      << " (byte offset " << offset << ") has no GB18030 form and cannot be converted";
    return s.str();
  }
  s << Quoted(list.name) << ": invalid " << EncodingName(list.encoding) << " bytes at line "
    << e.line << ", byte offset " << offset << " (";
  const std::size_t end = std::min(all.size(), offset + 4);
  for (std::size_t i = offset; i < end; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(all[i]));
    s << (i > offset ? " " : "") << hex;
  }
  if (end == offset) s << "end of file";
  s << ")";
  if (list.encoding == Encoding::kGb18030 && !list.bom) {
    s << "; if the file is in another encoding, name it with --input-encoding";
  }
  return s.str();
}

// Reads `path` ("-" for `in`) and settles its encoding. Reports and returns
// false on failure.
bool Read(const std::string& path, std::FILE* in, const std::optional<EncodingSpec>& forced,
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
  if (forced) {
    list.encoding = forced->encoding;
    list.bom = BomLength(bytes, list.encoding) > 0;
  } else {
    const DetectedEncoding detected = DetectEncoding(bytes);
    list.encoding = detected.encoding;
    list.bom = detected.bom;
  }
  list.bom_length = list.bom ? ByteOrderMark(list.encoding).size() : 0;
  list.body = bytes.substr(list.bom_length);
  return true;
}

// Takes the result of decoding the list's body. Reports and returns false
// on failure.
bool Decoded(const DecodeResult& decoded, LoadedList& list, std::FILE* err) {
  if (!decoded.ok) {
    Report(err, InvalidBytesMessage(list, decoded.error, decoded.error.offset + list.bom_length));
    return false;
  }
  list.text = decoded.text;
  return true;
}

bool Load(const std::string& path, std::FILE* in, const std::optional<EncodingSpec>& forced,
          LoadedList& list, std::FILE* err) {
  return Read(path, in, forced, list, err) &&
         Decoded(DecodeToGb18030(list.body, list.encoding, list.storage), list, err);
}

std::string UnrepresentableMessage(const LoadedList& list, const TextError& e, Encoding to) {
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

// The input is decoded, converted, encoded and written in pieces of about
// this size, each cut after a line feed. Two pieces are prepared at a time,
// one on a second thread, while a third thread writes the ones before: no
// copy of the whole list is ever made.
constexpr std::size_t kPieceBytes = 1 << 20;

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
  RunOutput(const std::string& path, std::FILE* stream, const EncodingSpec& spec)
      : path_(path), stream_(stream), spec_(spec) {}

  const EncodingSpec& spec() const { return spec_; }
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
    if (spec_.encoding == Encoding::kGb18030) {
      encoded_.assign(text);
    } else {
      EncodeInto(text, spec_.encoding, encoded_);
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
    std::string bom(spec_.bom ? ByteOrderMark(spec_.encoding) : "");
    if (!output_.Write(bom, failure_)) writing_ = false;
    return writing_;
  }

  Output output_;
  std::string path_;
  std::FILE* stream_;
  EncodingSpec spec_;
  bool opened_ = false;
  bool writing_ = true;
  std::string failure_;  // why the output failed
  std::string encoded_;
};

// A piece of the input, prepared on its own: decoded, converted alone and,
// for an output encoding other than GB18030, encoded.
struct Piece {
  std::size_t begin = 0;  // in the input's body
  std::size_t end = 0;
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

void PreparePiece(Piece& piece, const LoadedList& input, const ListConverter& converter,
                  Encoding to) {
  piece.invalid.reset();
  piece.unrepresentable.reset();
  const DecodeResult decoded = DecodeToGb18030(
      input.body.substr(piece.begin, piece.end - piece.begin), input.encoding, piece.decoding);
  if (!decoded.ok) {
    piece.invalid = decoded.error;
    return;
  }
  if (decoded.text.data() == piece.decoding.data()) {
    piece.text.swap(piece.decoding);
  } else {
    piece.text.assign(decoded.text);
  }
  if (piece.end == input.body.size() && !piece.text.ends_with("\r\n")) piece.text += "\r\n";
  converter.ConvertAlone(piece.text.data(), piece.text.size(), piece.converted);
  if (to != Encoding::kGb18030) EncodePiece(piece, to);
}

int Convert(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err) {
  const Direction& direction = options.to == "qq" ? kToQq : kToSogou;
  const std::optional<EncodingSpec> input_spec = ParseEncoding(options.input_encoding);

  LoadedList input;
  if (!Read(options.input, in, input_spec, input, err)) return kExitIo;
  EncodingSpec out_spec{input.encoding, input.bom};
  if (!options.output_encoding.empty()) out_spec = *ParseEncoding(options.output_encoding);
  RunOutput output(options.output, out, out_spec);

  // Faults are reported in this order: invalid input, an unreadable or
  // invalid merge file, an input that is not a list, a character the output
  // encoding lacks, then a failure of the output.
  ListConverter converter(*direction.rule);
  std::optional<std::string> unrepresentable;
  const std::string_view body = input.body;
  // Joins a prepared piece to those before it and writes it; false when
  // the input is invalid there.
  const auto finish = [&](Piece& piece) {
    if (piece.invalid) {
      TextError error = *piece.invalid;
      error.offset += piece.begin;
      error.line = LineAt(body, error.offset, input.encoding);
      Report(err, InvalidBytesMessage(input, error, error.offset + input.bom_length));
      return false;
    }
    const bool changed = converter.Join(piece.text.data(), piece.converted);
    if (out_spec.encoding == Encoding::kGb18030) {
      output.Write(piece.text);
      return true;
    }
    if (!output.writing()) return true;
    if (changed) EncodePiece(piece, out_spec.encoding);
    if (piece.unrepresentable) {
      // The conversion only moves ASCII separators: a character the output
      // lacks is the input's, and is reported at its line there.
      piece.unrepresentable->line += LineAt(body, piece.begin, input.encoding) - 1;
      unrepresentable = UnrepresentableMessage(input, *piece.unrepresentable, out_spec.encoding);
      output.Stop();
      return true;
    }
    output.Write(piece.encoded);
    return true;
  };

  Piece pieces[2];
  Worker worker;
  for (std::size_t next = 0; next < body.size();) {
    std::size_t count = 0;
    for (; count < 2 && next < body.size(); ++count) {
      pieces[count].begin = next;
      next = pieces[count].end = PieceEnd(body, next, kPieceBytes, input.encoding);
    }
    if (count == 2) {
      worker.Run([&] { PreparePiece(pieces[1], input, converter, out_spec.encoding); });
    }
    PreparePiece(pieces[0], input, converter, out_spec.encoding);
    if (count == 2) worker.Wait();
    for (std::size_t k = 0; k < count; ++k) {
      if (!finish(pieces[k])) return kExitIo;
    }
  }

  LoadedList merge;
  const bool merging = !options.merge.empty();
  if (merging && !Load(options.merge, in, input_spec, merge, err)) return kExitIo;

  if (!converter.probe_passed()) {
    std::string message = Quoted(input.name) + ": not a " + std::string(direction.from_name) +
                          " list: no entry of the form " + std::string(direction.from_shape) +
                          " (one digit) was found";
    const DecodeResult whole = DecodeToGb18030(body, input.encoding, input.storage);
    if (whole.ok && ProbeList(whole.text, *direction.reverse_rule)) {
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
    if (!CheckRepresentable(merge, out_spec.encoding, err)) return kExitIo;
    // Every character has a form in the output encoding now, the
    // separator's too (it is in GBK).
    output.Encode(direction.rule->merge_separator);
    output.Encode(merge.text);
  }
  // The inputs are let go first: a file that is also the output can then be
  // replaced on every system.
  input.Release();
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
