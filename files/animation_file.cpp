#include "files/animation_file.h"

#include <new>
#include <stdexcept>

namespace files {

Encoded EncodeAnimation(const animation::AnimationRequest& request, PendingImageFile& file,
                        const sweeps::RenderPump& pump, QString* error) {
  const animation::ByteSink out = [&file, error](const std::uint8_t* data, std::size_t n) {
    return file.WriteBytes(reinterpret_cast<const char*>(data), static_cast<qint64>(n), error);
  };
  try {
    return animation::Animate(request, out, pump) == sweeps::SweepEnd::RanOut ? Encoded::Whole
                                                                              : Encoded::Stopped;
  } catch (const animation::WriteFailed&) {
    // The file's own reason is in *error already.
  } catch (const std::bad_alloc&) {
    *error = NotEnoughMemory(request.render.scale);
  } catch (const std::runtime_error& e) {
    *error = QString::fromUtf8(e.what());
  }
  return Encoded::Failed;
}

namespace {
constexpr QLatin1String kNotEnoughMemory("not enough memory for a picture at scale ");
}  // namespace

QString NotEnoughMemory(int scale) { return kNotEnoughMemory + QString::number(scale); }

bool IsNotEnoughMemory(const QString& reason) { return reason.startsWith(kNotEnoughMemory); }

}  // namespace files
