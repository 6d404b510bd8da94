// A 50,000-entry list (about 500,000 characters) converted through the real
// window on the offscreen platform: the command's own work (read the box,
// convert, write the box, clipboard) against setPlainText of the same result
// alone, plus each step on its own.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QTextEdit>
#include <memory>

#include "app/box_text.h"
#include "app/main_window.h"
#include "convert/codec.h"
#include "convert/converter.h"

namespace marvoset {
namespace {

constexpr int kEntries = 50000;

MainWindow* window = nullptr;

// The command as a click runs it, minus the modal confirmation.
class QuietHost : public WindowCommandHost {
 public:
  using WindowCommandHost::WindowCommandHost;
  void ShowMessage(const Message&) override { ++messages; }
  int messages = 0;
};

Text SogouList() {
  // "kab,1=北京海淀": ten characters and a line break per entry.
  std::u16string list;
  for (int i = 0; i < kEntries; ++i) {
    list.push_back(u'k');
    list.push_back(static_cast<char16_t>(u'a' + i % 26));
    list.push_back(static_cast<char16_t>(u'a' + i / 26 % 26));
    list.push_back(u',');
    list.push_back(static_cast<char16_t>(u'1' + i % 9));
    list.append(u"=北京海淀\r\n");
  }
  return Utf16ToGb18030(list);
}

QTextEdit* Box(const char* name) { return window->findChild<QTextEdit*>(QString::fromUtf8(name)); }

void BM_SogouToQqCommand(benchmark::State& state) {
  const Text list = SogouList();
  window->SetBoxText(Box::kSogou, list);
  QuietHost host(*window);
  for (auto _ : state) {
    OnSogouToQq(host);
  }
  if (host.messages != static_cast<int>(state.iterations())) state.SkipWithError("no message");
  state.counters["characters"] =
      static_cast<double>(Box("超级编辑框2")->document()->characterCount());
}

void BM_SetPlainTextAlone(benchmark::State& state) {
  const QString result = ToPlainBoxText(ConvertSogouToQq(SogouList()));
  QTextEdit* box = Box("超级编辑框1");
  for (auto _ : state) {
    box->setPlainText(result);
  }
}

void BM_ReadBox(benchmark::State& state) {
  window->SetBoxText(Box::kSogou, SogouList());
  for (auto _ : state) {
    benchmark::DoNotOptimize(window->GetBoxText(Box::kSogou));
  }
}

void BM_Convert(benchmark::State& state) {
  const Text list = SogouList();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ConvertSogouToQq(list));
  }
}

void BM_WriteBox(benchmark::State& state) {
  const Text result = ConvertSogouToQq(SogouList());
  for (auto _ : state) {
    window->SetBoxText(Box::kQq, result);
  }
}

void BM_Clipboard(benchmark::State& state) {
  const Text result = ConvertSogouToQq(SogouList());
  QuietHost host(*window);
  for (auto _ : state) {
    benchmark::DoNotOptimize(host.PutOnClipboard(result));
  }
}

BENCHMARK(BM_SogouToQqCommand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetPlainTextAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Clipboard)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace marvoset

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  auto window = std::make_unique<marvoset::MainWindow>();
  window->show();
  QApplication::processEvents();
  marvoset::window = window.get();

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
