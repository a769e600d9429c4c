// logo convert, logo download: the display logo of the logo page, on the command line.
#include "cli/CommandGroups.h"

#include "app/AtomicFile.h"
#include "port/Communication.h"
#include "tools/LogoBitmap.h"
#include "tools/imaging/LogoImport.h"

#include <CLI/CLI.hpp>

#include <QFile>
#include <QFileInfo>

#include <ostream>

namespace quillory::cli {
namespace {

// Neither logo files nor pictures meant for a 128 x 32 logo come anywhere near this.
constexpr qint64 kMaxInputBytes = 64LL * 1024 * 1024;

// A .logo file as saved by the logo page, or any picture the conversion reads.
bool ReadLogo(const QString& path, CLogoBitmap& bitmap, QString& error) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    if (file.size() > kMaxInputBytes) {
        error = QStringLiteral("%1 is too large for a logo").arg(path);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (ParseLogoStream(bytes, bitmap) || PictureToLogo(bytes, bitmap))
        return true;
    error = QStringLiteral("%1 is neither a logo file nor a picture that can be read").arg(path);
    return false;
}

int Convert(CliContext& context, const QString& picture, const QString& output) {
    CLogoBitmap bitmap;
    QString error;
    if (!PictureFileToLogo(picture, bitmap, &error))
        return context.Fail(kExitBadInput, QStringLiteral("cannot convert %1: %2").arg(picture, error));
    if (!WriteFileAtomically(output, LogoStream(bitmap)))
        return context.Fail(kExitPrinterBase + COMM_CREATE_FILE,
                            QStringLiteral("cannot write %1").arg(output));
    return kExitOk;
}

int Download(CliContext& context, const QString& path) {
    CLogoBitmap bitmap;
    QString error;
    if (!ReadLogo(path, bitmap, error))
        return context.Fail(kExitBadInput, error);
    if (const int code = DownloadLogo(context.Port(), bitmap); code != 0)
        return context.PrinterFailure(code, {});
    return kExitOk;
}

} // namespace

void RegisterLogoCommands(CLI::App& app, CliContext& context) {
    CLI::App* logo = app.add_subcommand("logo", "The 128 x 32 dot display logo");
    logo->require_subcommand(1);

    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    CLI::App* convert = logo->add_subcommand("convert", "Turn a picture into a .logo file");
    convert->add_option("PICTURE", paths->first, "BMP, JPEG, PNG, TIFF or ICO picture")->required();
    convert->add_option("OUT", paths->second, "The .logo file to write")->required();
    convert->callback([&context, paths] {
        context.action = [&context, paths] {
            return Convert(context, QString::fromStdString(paths->first),
                           QString::fromStdString(paths->second));
        };
    });

    auto file = std::make_shared<std::string>();
    CLI::App* download =
        logo->add_subcommand("download", "Send a .logo file or a picture to the printer's display");
    download->add_option("FILE", *file, "A .logo file or a picture")->required();
    download->callback([&context, file] {
        context.action = [&context, file] { return Download(context, QString::fromStdString(*file)); };
    });
}

} // namespace quillory::cli
