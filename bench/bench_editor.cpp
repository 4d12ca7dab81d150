// The editor's interactive speed, offscreen: moving the frame slider to a
// 512 x 512 frame made of two subframes until it is painted, one tick of the
// preview window on such an animation, starting the main window with the
// demo document up to its first paint, and the edit history on a 64 MiB
// document: undoing the removal of its largest animation, and the memory a
// thousand steps keep.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QCheckBox>
#include <QScrollBar>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QTest>
#include <QWheelEvent>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "BenchSupport.h"
#include "display/qt/FrameView.h"
#include "display/qt/FrmPreview.h"
#include "editor/FrameStrip.h"
#include "editor/FrmQuilmark.h"
#include "editor/RecoveryKeeper.h"
#include "editor/UpDown.h"

using namespace quilmark;

namespace {

// samples/ beside this file's folder.
QString SamplesDir() {
  QString here = QStringLiteral(__FILE__);
  here.truncate(here.lastIndexOf('/'));
  return here + "/../samples";
}

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_editor";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    // Recovery copies go to a folder of the benchmark's own.
    qputenv("XDG_STATE_HOME", QByteArray::fromStdString(bench::TempPath("state")));
    auto* application = new QApplication(argc, argv);
    // Every run starts from the default settings (no view extras switched on).
    QSettings(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark").clear();
    return application;
  }();
  return *app;
}

FramePtr Image(int w, int h, int px, int py, uint8_t fill) {
  auto f = std::make_shared<classGAFFrame>();
  f->SetWidth(w);
  f->SetHeight(h);
  (void)f->SetPositionX(px);
  (void)f->SetPositionY(py);
  for (size_t i = 0; i < f->Pixels.size(); ++i) f->Pixels[i] = (i % 7 == 0) ? TransparentIndex : fill;
  return f;
}

void frame_switch_ms(benchmark::State& state) {
  App();
  FrmQuilmark window({});
  window.MessageHook = [](const QString&, const QString&, MessageIcon) {};
  window.InitializeWindow();
  window.resize(1400, 1000);
  window.show();
  (void)QTest::qWaitForWindowExposed(&window);
  auto doc = std::make_shared<classGAF>();
  auto a = std::make_shared<classGAFAnimation>();
  a->Name = "big";
  for (int i = 0; i < 2; ++i) {
    auto frame = Image(1, 1, 0, 0, 1);
    frame->Subframes.Add(Image(512, 512, 256, 256, static_cast<uint8_t>(40 + i)));
    frame->Subframes.Add(Image(512, 512, 200, 200, static_cast<uint8_t>(80 + i)));
    a->Frames.Add(frame);
  }
  doc->Animations.Add(a, a->Name);
  window.State().CurrentGAF = doc;
  window.ResetView();
  // At 8x the view shows a 512 x 512 image's middle, each pixel 8 x 8.
  window.findChild<quilmark::FrameView*>("PicFrame")->SetZoom(static_cast<int>(state.range(0)));
  int next = 2;
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    window.findChild<QSlider*>("ScrollFrames")->setValue(next);
    window.findChild<quilmark::FrameView*>("PicFrame")->repaint();
    const auto end = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(end - start).count();
    total += seconds;
    state.SetIterationTime(seconds);
    next = next == 2 ? 1 : 2;
  }
  // Ratio to copying the same 512 x 512 bytes.
  std::vector<uint8_t> src(512 * 512, 1), dst(512 * 512);
  const auto m0 = std::chrono::steady_clock::now();
  for (int i = 0; i < 100; ++i) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
  }
  const double memcpySeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m0).count() / 100;
  state.counters["memcpy_us"] = memcpySeconds * 1e6;
  if (state.iterations() > 0) {
    const double perSwitch = total / static_cast<double>(state.iterations());
    const std::string name =
        state.range(0) == 1 ? "frame_switch_ms" : "frame_switch_" + std::to_string(state.range(0)) + "x_ms";
    state.counters[name] = perSwitch * 1e3;
    if (memcpySeconds > 0) state.counters["ratio_to_memcpy"] = perSwitch / memcpySeconds;
  }
  window.close();
}
BENCHMARK(frame_switch_ms)->Arg(1)->Arg(8)->UseManualTime()->Unit(benchmark::kMillisecond);

// Starting the main window with a document named on its command line, up to
// the first paint; the mean milliseconds go to the counter name. With fresh,
// the document of the start before is freed and its memory given back to the
// system first, so that every start loads into memory it has to be given.
void StartWith(benchmark::State& state, const QString& document, const char* name, bool fresh = false) {
  App();
  double total = 0;
  for (auto _ : state) {
    if (fresh) {
      malloc_trim(0);
    }
    const auto start = std::chrono::steady_clock::now();
    FrmQuilmark::Options o;
    o.commandLine = document;
    o.palettePath = SamplesDir() + "/palette.dat";
    auto window = std::make_unique<FrmQuilmark>(o);
    window->MessageHook = [](const QString&, const QString&, MessageIcon) {};
    window->InitializeWindow();
    window->show();
    (void)QTest::qWaitForWindowExposed(window.get());
    window->repaint();
    const auto end = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(end - start).count();
    total += seconds;
    state.SetIterationTime(seconds);
    window->close();
  }
  if (state.iterations() > 0) state.counters[name] = total / static_cast<double>(state.iterations()) * 1e3;
}

void startup_ms(benchmark::State& state) { StartWith(state, SamplesDir() + "/demo.gaf", "startup_ms"); }
BENCHMARK(startup_ms)->UseManualTime()->Unit(benchmark::kMillisecond);

// The same with the 64 MiB document of the load figures, each time into
// fresh memory.
void startup_big_ms(benchmark::State& state) {
  StartWith(state, QString::fromStdString(bench::SavedBigDocument()), "startup_big_ms", true);
}
BENCHMARK(startup_big_ms)->UseManualTime()->Unit(benchmark::kMillisecond);

// One preview tick: clearing the 608 x 608 surface, composing a frame of two
// 512 x 512 subframes and showing it on the canvas.
void preview_tick_ms(benchmark::State& state) {
  App();
  auto a = std::make_shared<classGAFAnimation>();
  a->Name = "big";
  for (int i = 0; i < 3; ++i) {
    auto frame = Image(1, 1, 0, 0, 1);
    frame->Subframes.Add(Image(512, 512, 256, 256, static_cast<uint8_t>(40 + i)));
    frame->Subframes.Add(Image(512, 512, 200, 200, static_cast<uint8_t>(80 + i)));
    a->Frames.Add(frame);
  }
  QWidget owner;
  QPointer<FrmPreview> preview = FrmPreview::Open(a, &owner);
  if (!preview) {
    state.SkipWithError("the preview could not be set up");
    return;
  }
  preview->TmrAnimate->stop();
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const bool shown = preview->TmrAnimate_Timer();
    const auto end = std::chrono::steady_clock::now();
    if (!shown) {
      state.SkipWithError("the preview closed");
      break;
    }
    const double seconds = std::chrono::duration<double>(end - start).count();
    total += seconds;
    state.SetIterationTime(seconds);
  }
  const size_t bytes = static_cast<size_t>(preview->PreviewWidth) * static_cast<size_t>(preview->PreviewHeight);
  std::vector<uint8_t> src(bytes, 1), dst(bytes);
  const auto m0 = std::chrono::steady_clock::now();
  for (int i = 0; i < 100; ++i) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
  }
  const double memcpySeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m0).count() / 100;
  if (state.iterations() > 0) {
    const double perTick = total / static_cast<double>(state.iterations());
    state.counters["preview_tick_ms"] = perTick * 1e3;
    if (memcpySeconds > 0) state.counters["ratio_to_memcpy"] = perTick / memcpySeconds;
  }
  preview->close();
}
BENCHMARK(preview_tick_ms)->UseManualTime()->Unit(benchmark::kMillisecond);

// 64 MiB of pixels: animations of 512 x 512 frames, the first the largest
// (64 frames), then 6 of 32.
std::shared_ptr<classGAF> BigDocument() {
  auto doc = std::make_shared<classGAF>();
  const std::vector<uint8_t> pixels = bench::SpritePixels(512, 512, 7);
  for (int a = 0; a < 7; ++a) {
    auto animation = std::make_shared<classGAFAnimation>();
    animation->Name = "anim" + std::to_string(a);
    for (int f = 0; f < (a == 0 ? 64 : 32); ++f) {
      auto frame = std::make_shared<classGAFFrame>();
      (void)frame->SetImage(512, 512, std::vector<uint8_t>(pixels));
      animation->Frames.Add(frame);
    }
    doc->Animations.Add(animation, animation->Name);
  }
  return doc;
}

// Closes a window whose document the benchmark changed without the question
// about unsaved changes, which no one would answer.
void CloseUnasked(FrmQuilmark& window) {
  window.Document().History().setClean();
  window.close();
}

// A main window shown over the big document.
std::unique_ptr<FrmQuilmark> BigWindow(std::shared_ptr<classGAF> doc) {
  auto window = std::make_unique<FrmQuilmark>(FrmQuilmark::Options{});
  window->MessageHook = [](const QString&, const QString&, MessageIcon) {};
  window->InitializeWindow();
  window->show();
  (void)QTest::qWaitForWindowExposed(window.get());
  window->State().CurrentGAF = std::move(doc);
  window->ResetView();
  return window;
}

// Opening the frame strip on the big document's largest animation: from
// selecting it to the strip painted, every thumbnail in view made afresh.
void strip_open_ms(benchmark::State& state) {
  App();
  auto window = BigWindow(BigDocument());
  window->resize(1400, 1000);
  QCoreApplication::processEvents();
  auto* strip = window->findChild<quilmark::FrameStrip*>("FrameStrip");
  GafDocument& doc = window->Document();
  const AnimationPtr largest = doc.Gaf().Animations.Item(1), other = doc.Gaf().Animations.Item(2);
  double total = 0;
  for (auto _ : state) {
    doc.Select({other, 1, 0});
    strip->ForgetThumbnails();
    QCoreApplication::processEvents();
    const auto start = std::chrono::steady_clock::now();
    doc.Select({largest, 1, 0});
    strip->viewport()->repaint();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    total += seconds;
    state.SetIterationTime(seconds);
  }
  state.counters["strip_thumbnails"] = static_cast<double>(strip->KeptThumbnails());
  if (state.iterations() > 0) state.counters["strip_open_ms"] = total / static_cast<double>(state.iterations()) * 1e3;
}
BENCHMARK(strip_open_ms)->UseManualTime()->Unit(benchmark::kMillisecond);

// Switching frames of the big document at 4x with the onion skin (2 frames
// before and 2 after), the pixel grid and the origin shown: the view's picture
// composed from five frames, then painted.
void frame_switch_onion_ms(benchmark::State& state) {
  App();
  auto window = BigWindow(BigDocument());
  window->resize(1400, 1000);
  QCoreApplication::processEvents();
  window->State().View.OnionBefore = 2;
  window->State().View.OnionAfter = 2;
  for (const char* name : {"mnuViewOnion", "mnuViewGrid", "mnuViewOrigin"})
    window->findChild<QAction*>(name)->setChecked(true);
  auto* view = window->findChild<quilmark::FrameView*>("PicFrame");
  view->SetZoom(4);
  auto* frames = window->findChild<QSlider*>("ScrollFrames");
  int next = 10;
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    frames->setValue(next);
    view->repaint();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    total += seconds;
    state.SetIterationTime(seconds);
    next = next == 10 ? 11 : 10;
  }
  if (state.iterations() > 0) state.counters["frame_switch_onion_ms"] = total / state.iterations() * 1e3;
  // The benchmarks after this one show the image alone.
  for (const char* name : {"mnuViewOnion", "mnuViewGrid", "mnuViewOrigin"})
    window->findChild<QAction*>(name)->setChecked(false);
  CloseUnasked(*window);
}
BENCHMARK(frame_switch_onion_ms)->UseManualTime()->Unit(benchmark::kMillisecond);

// One wheel step of scrolling at 8x over a 1024 x 1024 image, drawn and
// painted.
void pan_step_ms(benchmark::State& state) {
  App();
  auto doc = std::make_shared<classGAF>();
  auto animation = std::make_shared<classGAFAnimation>();
  animation->Name = "large";
  auto frame = std::make_shared<classGAFFrame>();
  (void)frame->SetImage(1024, 1024, bench::SpritePixels(1024, 1024, 3));
  animation->Frames.Add(frame);
  doc->Animations.Add(animation, animation->Name);
  auto window = BigWindow(doc);
  window->resize(1400, 1000);
  QCoreApplication::processEvents();
  auto* view = window->findChild<quilmark::FrameView*>("PicFrame");
  view->SetZoom(8);
  auto* down = window->findChild<QScrollBar*>("PicScrollDown");
  int direction = 1;
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    QWheelEvent wheel(QPointF(100, 100), view->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120 * direction),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    view->repaint();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    total += seconds;
    state.SetIterationTime(seconds);
    direction = down->value() >= down->maximum() - 48 ? -1 : down->value() <= down->minimum() + 48 ? 1 : direction;
  }
  if (state.iterations() > 0) state.counters["pan_step_ms"] = total / state.iterations() * 1e3;
  CloseUnasked(*window);
}
BENCHMARK(pan_step_ms)->UseManualTime()->Unit(benchmark::kMillisecond);

void undo_remove_sequence_ms(benchmark::State& state) {
  App();
  auto window = BigWindow(BigDocument());
  double total = 0;
  for (auto _ : state) {
    window->ResetView();  // the largest animation, first, is the current one
    window->mnuImageRemoveSequence_Click();
    const auto start = std::chrono::steady_clock::now();
    window->Document().History().undo();
    window->findChild<quilmark::FrameView*>("PicFrame")->repaint();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (window->State().CurrentGAF->Animations.Count() != 7) state.SkipWithError("the sequence did not come back");
    total += seconds;
    state.SetIterationTime(seconds);
  }
  if (state.iterations() > 0)
    state.counters["undo_remove_sequence_ms"] = total / static_cast<double>(state.iterations()) * 1e3;
  CloseUnasked(*window);
}
BENCHMARK(undo_remove_sequence_ms)->UseManualTime()->Unit(benchmark::kMillisecond);

// Growth of the resident memory over a thousand steps of every kind on the
// big document, against the memory the document and window take.
void undo_history_growth_pct(benchmark::State& state) {
  App();
  // The documents of earlier benchmarks (the editor state keeps the last one)
  // are freed and their memory goes back to the system first, so that the
  // document cannot hide in it.
  malloc_trim(0);
  const uint64_t start = bench::ResidentBytes();
  auto window = BigWindow(BigDocument());
  const uint64_t withDocument = bench::ResidentBytes();
  for (auto _ : state) {
    // Positions, frame rates and flags of one image after another, frames
    // and sequences removed (and some brought back), until the history holds
    // a thousand steps.
    for (int i = 0; window->Document().History().count() < 1000 && i < 5000; ++i) {
      window->ResetView();
      window->findChild<QSlider*>("ScrollFrames")->setValue(1 + i % 32);
      switch (i % 6) {
        case 0:
          window->findChild<quilmark::UpDown*>("ScrollXPos")->Step(1);
          break;
        case 1:
          window->findChild<quilmark::UpDown*>("ScrollFPS")->Step(1);
          break;
        case 2:
          window->findChild<QCheckBox*>("chkCompressed")->click();
          break;
        case 3:
          window->findChild<quilmark::UpDown*>("ScrollYPos")->Step(-1);
          break;
        case 4:
          window->mnuFrameRemove_Click();
          break;
        case 5:
          if (window->State().CurrentGAF->Animations.Count() > 2) {
            window->mnuImageRemoveSequence_Click();
          } else {
            window->Document().History().undo();
          }
          break;
      }
    }
  }
  const double grown = static_cast<double>(bench::ResidentBytes()) - static_cast<double>(withDocument);
  const double document = static_cast<double>(withDocument) - static_cast<double>(start);
  state.counters["undo_history_growth_pct"] = document > 0 ? 100.0 * grown / document : 0;
  state.counters["undo_steps"] = window->Document().History().count();
  CloseUnasked(*window);
}
BENCHMARK(undo_history_growth_pct)->Iterations(1)->Unit(benchmark::kMillisecond);

// The pause the window sees when the recovery copy of the 64 MiB document
// (read from its file, every frame compressed) is started: the document's
// structure copied with its pixels shared, and the write handed to a thread.
// The write itself, which the window does not wait for, is recovery_write_ms.
void recovery_snapshot_ms(benchmark::State& state) {
  App();
  malloc_trim(0);
  auto doc = std::make_shared<classGAF>();
  doc->Load(bench::SavedBigDocument());
  auto window = BigWindow(doc);
  double pause = 0, write = 0;
  for (auto _ : state) {
    window->findChild<quilmark::UpDown*>("ScrollXPos")->Step(1);  // a change, so that there is a copy to keep
    const auto start = std::chrono::steady_clock::now();
    window->Recovery().Snapshot();
    const auto started = std::chrono::steady_clock::now();
    window->Recovery().Wait();
    const auto written = std::chrono::steady_clock::now();
    pause += std::chrono::duration<double>(started - start).count();
    write += std::chrono::duration<double>(written - started).count();
    state.SetIterationTime(std::chrono::duration<double>(started - start).count());
  }
  if (state.iterations() > 0) {
    state.counters["recovery_snapshot_ms"] = pause / static_cast<double>(state.iterations()) * 1e3;
    state.counters["recovery_write_ms"] = write / static_cast<double>(state.iterations()) * 1e3;
  }
  CloseUnasked(*window);
}
BENCHMARK(recovery_snapshot_ms)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
