#include "cli/run.h"

#include <CLI/CLI.hpp>
#include <new>
#include <optional>
#include <sstream>
#include <string_view>

#include "cli/file_io.h"
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

// The converted list: `text`, then `tail` (a final CR LF the input lacked).
// It is either `owned` or the input's own bytes, converted in place.
struct ConvertedList {
  Text owned;
  std::string_view text;
  std::string_view tail;
  bool in_place = false;
};

// Decodes and converts the input. On failure reports, and returns an exit
// status. A GB18030 input that needs no line-break change is converted in
// its own buffer: a list of hundreds of megabytes is then never copied.
std::optional<int> DecodeAndConvert(LoadedList& input, const Direction& direction,
                                    ConvertedList& converted, std::FILE* err) {
  if (!Decoded(DecodeToGb18030(input.body, input.encoding, input.storage), input, err)) {
    return kExitIo;
  }
  if (input.text.data() == input.body.data()) {
    char* data = input.bytes.data() + input.bom_length;
    if (ConvertBytesInPlace(data, input.body.size(), *direction.rule)) {
      converted.text = input.text;
      converted.tail = input.text.ends_with("\r\n") ? "" : "\r\n";
      converted.in_place = true;
    }
    return std::nullopt;
  }
  converted.owned = ConvertList(input.text, *direction.rule);
  converted.text = converted.owned;
  return std::nullopt;
}

bool CheckRepresentable(const LoadedList& list, Encoding to, std::FILE* err) {
  if (list.encoding == to) return true;
  const std::optional<TextError> bad = FindUnrepresentable(list.text, to);
  if (!bad) return true;
  std::ostringstream s;
  s << Quoted(list.name) << ": line " << bad->line << ": character "
    << FormatCodePoint(bad->code_point) << " cannot be represented in " << EncodingName(to)
    << "; choose an output encoding that has it (gb18030, utf-8 or utf-16le)";
  Report(err, s.str());
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

int Convert(const Options& options, std::FILE* in, std::FILE* out, std::FILE* err) {
  const Direction& direction = options.to == "qq" ? kToQq : kToSogou;
  const std::optional<EncodingSpec> input_spec = ParseEncoding(options.input_encoding);

  LoadedList input;
  if (!Read(options.input, in, input_spec, input, err)) return kExitIo;
  ConvertedList converted;
  if (const std::optional<int> status = DecodeAndConvert(input, direction, converted, err)) {
    return *status;
  }
  LoadedList merge;
  const bool merging = !options.merge.empty();
  if (merging && !Load(options.merge, in, input_spec, merge, err)) return kExitIo;

  if (converted.text.empty()) {
    std::string message = Quoted(input.name) + ": not a " + std::string(direction.from_name) +
                          " list: no entry of the form " + std::string(direction.from_shape) +
                          " (one digit) was found";
    if (ProbeList(input.text, *direction.reverse_rule)) {
      message += "; it looks like a " + std::string(direction.to_name) +
                 " list: to convert it, use " + std::string(direction.reverse_option);
    }
    Report(err, message);
    return kExitNotAList;
  }

  // Every character must have a form in the output encoding. The conversion
  // only moves ASCII separators, so the input's characters are the
  // output's, and a missing one is reported where the user can find it.
  EncodingSpec out_spec{input.encoding, input.bom};
  if (!options.output_encoding.empty()) out_spec = *ParseEncoding(options.output_encoding);
  if (!CheckRepresentable(input, out_spec.encoding, err)) return kExitIo;
  if (merging && !CheckRepresentable(merge, out_spec.encoding, err)) return kExitIo;
  if (!converted.in_place) input.Release();

  Output output;
  std::string reason;
  const std::string out_name = options.output == "-" ? std::string(kStdoutName) : options.output;
  if (options.output == "-") {
    output.OpenStream(out);
  } else if (!output.OpenFile(options.output, reason)) {
    Report(err, "cannot write " + Quoted(out_name) + ": " + reason);
    return kExitIo;
  }
  const ByteSink sink = [&](std::string_view bytes) { return output.Write(bytes, reason); };
  bool ok = !out_spec.bom || sink(ByteOrderMark(out_spec.encoding));
  // No character can be missing from the output encoding now: the texts were
  // checked above, and the separator is in GBK.
  TextError error;
  for (std::string_view piece :
       {converted.text, converted.tail,
        merging ? direction.rule->merge_separator : std::string_view(), merge.text}) {
    if (!ok) break;
    const EncodeStatus status = EncodeFromGb18030(piece, out_spec.encoding, sink, &error);
    if (status == EncodeStatus::kUnrepresentable) {
      reason = "character " + FormatCodePoint(error.code_point) + " cannot be represented in " +
               std::string(EncodingName(out_spec.encoding));
    }
    ok = status == EncodeStatus::kOk;
  }
  if (!ok || !output.Commit(reason)) {
    output.Discard();
    Report(err, "cannot write " + Quoted(out_name) + ": " + reason);
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
    // Nothing was written: the output is opened only after the conversion.
    Report(err, "not enough memory to convert the list; nothing was written");
    return kExitIo;
  }
}

}  // namespace marvoset::cli
