#pragma once
// An animation written off the user-interface thread: the sweep's render and the encoders run on
// a thread of their own, with a copy of the inputs, on a canvas of their own, and touch nothing
// of the window. The window follows the progress and can cancel; the file is written through a
// QSaveFile on that thread and replaces its target only when whole.

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <thread>

#include "animation/animate.h"

namespace window {

class AnimationExport final : public QObject {
  Q_OBJECT

 public:
  // Starts at once.
  AnimationExport(const animation::AnimationRequest& request, const QString& path,
                  QObject* parent = nullptr);
  // Cancels and waits for the thread: at most the curve in progress and the encoder's last step.
  ~AnimationExport() override;

  // The thread stops before its next curve and leaves no file; Finished still follows.
  void Cancel() noexcept { cancel_ = true; }
  [[nodiscard]] std::uint64_t CurvesDone() const noexcept { return done_; }
  [[nodiscard]] std::uint64_t CurvesTotal() const noexcept { return total_; }
  [[nodiscard]] const QString& Path() const noexcept { return path_; }

 signals:
  // On the window's thread, once the thread has ended: written, or why not (empty when cancelled).
  void Finished(bool written, const QString& error);

 private:
  void Run(animation::AnimationRequest request);

  QString path_;
  std::atomic<bool> cancel_{false};
  std::atomic<std::uint64_t> done_{0};
  std::atomic<std::uint64_t> total_{0};
  std::thread thread_;
};

}  // namespace window
