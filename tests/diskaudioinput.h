#pragma once

// What SDL's disk driver records: it reads the raw samples of the file named
// by SDL_DISKAUDIOFILEIN from the start at every opening of an input device,
// in the device's own format, and gives silence once the file runs out.
// Recording here asks for 32-bit floats, so the file holds those.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <vector>

inline bool SetDiskAudioInput(const QString &path, const std::vector<float> &samples)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto bytes = qint64(samples.size() * sizeof(float));
    if (file.write(reinterpret_cast<const char *>(samples.data()), bytes) != bytes)
        return false;
    file.close();
    qputenv("SDL_DISKAUDIOFILEIN", path.toLocal8Bit());
    return true;
}
