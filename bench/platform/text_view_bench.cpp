// The message viewer's text view beside the toolkit's plain text editor
// (QPlainTextEdit, given the text as the viewer gave it before: CR LF made
// LF, one QString), offscreen, on the same texts:
//   text      95.4 MiB of lines of 40 to 76 characters, CR LF ended
//   long line one line of 1 MiB between two short ones
// For each: setting the text, the first paint, scrolling to the end (the
// last line; for the long line, its end) and its paint, a second paint
// there; and the resident memory the view adds to the program's own string
// of the text (which the text view takes over): VmRSS after the last
// paint over before the text was set, in the first run. Times are medians
// of RUNS runs (default 3) with the fastest and slowest.
//
// Usage: text_view_bench [RUNS]. Linux only.

#include <malloc.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchMedian.h"
#include "platform/gui/qt/Text.h"
#include "platform/gui/qt/TextView.h"

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

struct Sample {
  double set = 0;
  double firstPaint = 0;
  double endPaint = 0;
  double againPaint = 0;
  double addedMiB = 0;
};

double ResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) * 1024.0;
  }
  return 0;
}

double Seconds(const std::function<void()>& step) {
  const auto start = std::chrono::steady_clock::now();
  step();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Lines as bench/app/large_message.py writes them.
std::string LargeText(std::size_t bytes) {
  const char* words[] = {"mail", "check", "server", "message", "line", "body", "text", "view", "memory",
                         "window", "quick", "brown", "fox", "jumps", "over", "lazy", "dog"};
  std::mt19937 random(7);
  std::vector<std::string> pool;
  for (int i = 0; i < 4096; ++i) {
    std::string line;
    const std::size_t width = 40 + random() % 37;
    while (line.size() < width) line += std::string(words[random() % 17]) + " ";
    line.resize(width);
    pool.push_back(line + "\r\n");
  }
  std::string text;
  text.reserve(bytes + 100);
  while (text.size() < bytes) text += pool[random() % pool.size()];
  return text;
}

std::string LongLineText() { return "first\r\n" + std::string(1 << 20, 'x') + "y\r\nlast\r\n"; }

void ToLastLine(QAbstractScrollArea& widget) { widget.verticalScrollBar()->setValue(widget.verticalScrollBar()->maximum()); }

void ToLineEnd(QAbstractScrollArea& widget) {
  widget.horizontalScrollBar()->setValue(widget.horizontalScrollBar()->maximum());
}

using Scroll = void (*)(QAbstractScrollArea&);

// One run on a fresh widget: set, paint, go to the end, paint, paint.
Sample Run(QAbstractScrollArea& widget, const std::function<void()>& set, Scroll toEnd) {
  Sample sample;
  QApplication::processEvents();
  malloc_trim(0);
  const double before = ResidentBytes();
  sample.set = Seconds(set);
  sample.firstPaint = Seconds([&] { widget.viewport()->repaint(); });
  sample.endPaint = Seconds([&] {
    toEnd(widget);
    widget.viewport()->repaint();
  });
  sample.againPaint = Seconds([&] { widget.viewport()->repaint(); });
  sample.addedMiB = (ResidentBytes() - before) / kMiB;
  return sample;
}

void Print(const char* what, const char* who, const std::vector<Sample>& samples) {
  std::printf("%-9s %-14s set %s  paint %s  to end %s  again %s  +%.1f MiB\n", what, who,
              bench::Median(samples, &Sample::set).c_str(), bench::Median(samples, &Sample::firstPaint).c_str(),
              bench::Median(samples, &Sample::endPaint).c_str(), bench::Median(samples, &Sample::againPaint).c_str(),
              samples.front().addedMiB);
}

void Measure(const char* what, const std::string& text, Scroll toEnd, int runs) {
  std::vector<Sample> ours;
  std::vector<Sample> toolkit;
  for (int run = 0; run < runs; ++run) {
    {
      platform::qt::TextView view;
      view.resize(615, 305);
      view.show();
      std::string copy = text;
      ours.push_back(Run(view, [&] { view.SetText(std::move(copy)); }, toEnd));
    }
    {
      QPlainTextEdit editor;
      editor.setReadOnly(true);
      editor.setUndoRedoEnabled(false);
      editor.setLineWrapMode(QPlainTextEdit::NoWrap);
      editor.resize(615, 305);
      editor.show();
      toolkit.push_back(Run(editor, [&] { editor.setPlainText(platform::qt::ToQtLines(text)); }, toEnd));
    }
  }
  Print(what, "TextView", ours);
  Print(what, "QPlainTextEdit", toolkit);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string large = LargeText(100'000'000);
  std::printf("# text %.1f MiB; long line %.1f MiB; %d runs\n", large.size() / kMiB, LongLineText().size() / kMiB,
              runs);
  Measure("text", large, &ToLastLine, runs);
  Measure("long line", LongLineText(), &ToLineEnd, runs);
  return 0;
}
