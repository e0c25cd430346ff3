#include "app/animation_export.h"

#include <QMetaObject>
#include <new>

#include "app/image_file.h"

namespace app {

AnimationExport::AnimationExport(const animation::AnimationRequest& request, const QString& path,
                                 QObject* parent)
    : QObject(parent), path_(path) {
  thread_ = std::thread([this, request] { Run(request); });
}

AnimationExport::~AnimationExport() {
  Cancel();
  if (thread_.joinable()) thread_.join();
}

void AnimationExport::Run(animation::AnimationRequest request) {
  QString error;
  bool written = false;
  {
    PendingImageFile file(path_, AnimationFormatFor(path_));
    const animation::ByteSink out = [&file, &error](const std::uint8_t* data, std::size_t n) {
      return file.WriteBytes(reinterpret_cast<const char*>(data), static_cast<qint64>(n), &error);
    };
    const sweeps::RenderPump pump = [this](std::uint64_t done, std::uint64_t total) {
      done_ = done;
      total_ = total;
      return !cancel_;
    };
    try {
      written = file.Open(&error) &&
                animation::Animate(request, out, pump) == sweeps::SweepEnd::RanOut && !cancel_ &&
                file.Commit(&error);
    } catch (const animation::WriteFailed&) {
      // The file's own reason is in `error`.
    } catch (const std::bad_alloc&) {
      error = QStringLiteral("メモリが足りません。");
    } catch (const std::exception& e) {
      error = QString::fromUtf8(e.what());
    }
  }  // an uncommitted file is removed here
  if (cancel_) error.clear();
  // Queued to the window's thread, where this object lives.
  QMetaObject::invokeMethod(
      this, [this, written, error] { emit Finished(written, error); }, Qt::QueuedConnection);
}

}  // namespace app
