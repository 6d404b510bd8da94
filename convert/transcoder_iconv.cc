// iconv backend of the transcoder; see transcoder.h.
#include <errno.h>
#include <iconv.h>

#include <string>

#include "convert/transcoder.h"

namespace marvoset {

struct Transcoder::State {
  iconv_t cd;
};

Transcoder::Transcoder(Encoding to, Encoding from)
    : state_(std::make_unique<State>(State{iconv_open(std::string(EncodingName(to)).c_str(),
                                                      std::string(EncodingName(from)).c_str())})) {}

Transcoder::~Transcoder() {
  if (ok()) iconv_close(state_->cd);
}

bool Transcoder::ok() const { return state_->cd != reinterpret_cast<iconv_t>(-1); }

TranscodeStatus Transcoder::Convert(const char*& in, std::size_t& in_left, char*& out,
                                    std::size_t& out_left) {
  char* src = const_cast<char*>(in);
  const std::size_t rc = iconv(state_->cd, &src, &in_left, &out, &out_left);
  const int err = rc == static_cast<std::size_t>(-1) ? errno : 0;
  in = src;
  switch (err) {
    case 0:
      return TranscodeStatus::kOk;
    case E2BIG:
      return TranscodeStatus::kOutputFull;
    case EINVAL:
      return TranscodeStatus::kIncomplete;
    default:
      return TranscodeStatus::kInvalid;
  }
}

void Transcoder::Reset() { iconv(state_->cd, nullptr, nullptr, nullptr, nullptr); }

}  // namespace marvoset
