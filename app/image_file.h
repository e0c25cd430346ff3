#pragma once
// Image files of the canvas: the format a file name asks for, a QImage of a raster, and writing
// an image so that the target is replaced whole or not at all. An existing file is never left
// damaged and a failed write leaves nothing behind. No dialogs and no messages: errors come
// back as text for the caller to show.

#include <QByteArray>
#include <QImage>
#include <QSaveFile>
#include <QString>

#include "turtle/raster.h"

namespace app {

// The image format the path's extension names, as Qt's image writers spell it ("png", "jpg"),
// or an empty array when the extension is missing or no writer handles it. Case-insensitive.
[[nodiscard]] QByteArray ImageFormatFor(const QString& path);

// "webp" or "gif" when the path's extension names one of the animation formats, else empty.
[[nodiscard]] QByteArray AnimationFormatFor(const QString& path);

// A copy of the raster's pixels as a Format_RGB32 image, independent of the raster afterwards.
[[nodiscard]] QImage ImageOf(const turtle::Raster& raster);

// The raster's pixels as a Format_RGB32 image without copying them: valid only while the raster
// lives and keeps its size. Writing through it is not allowed.
[[nodiscard]] QImage ImageViewOf(const turtle::Raster& raster);

// An image file on its way to disk. Open creates a temporary file beside the target, Write
// encodes the image into it, Commit puts it in the target's place in one step. Anything short
// of a successful Commit, including destroying the object, removes the temporary file and
// leaves the target as it was. Each step returns false with the reason in *error on failure;
// a step after a failed one fails too.
class PendingImageFile {
 public:
  PendingImageFile(const QString& path, const QByteArray& format);
  PendingImageFile(const PendingImageFile&) = delete;
  PendingImageFile& operator=(const PendingImageFile&) = delete;

  bool Open(QString* error);
  bool Write(const QImage& image, QString* error);
  // Appends bytes an encoder of the program's own made.
  bool WriteBytes(const char* data, qint64 size, QString* error);
  bool Commit(QString* error);

 private:
  QSaveFile file_;
  QByteArray format_;
};

// Opens, writes and commits in one go.
bool WriteImageFile(const QImage& image, const QString& path, const QByteArray& format,
                    QString* error);

}  // namespace app
