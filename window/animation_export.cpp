#include "window/animation_export.h"

#include <QMetaObject>

#include "files/animation_file.h"

namespace window {

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
    files::PendingImageFile file(path_, files::AnimationFormatFor(path_));
    const sweeps::RenderPump pump = [this](std::uint64_t done, std::uint64_t total) {
      done_ = done;
      total_ = total;
      return !cancel_;
    };
    try {
      written = file.Open(&error) &&
                files::EncodeAnimation(request, file, pump, &error) == files::Encoded::Whole &&
                !cancel_ && file.Commit(&error);
    } catch (const std::exception& e) {
      error = QString::fromUtf8(e.what());  // kept from reaching the thread's end
    }
  }  // an uncommitted file is removed here
  if (cancel_) error.clear();
  // Queued to the window's thread, where this object lives.
  QMetaObject::invokeMethod(
      this, [this, written, error] { emit Finished(written, error); }, Qt::QueuedConnection);
}

}  // namespace window
