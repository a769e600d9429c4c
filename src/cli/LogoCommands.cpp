// logo convert, logo download: the display logo of the logo page, on the command line.
#include "cli/CommandGroups.h"

#include "app/AppSettings.h"
#include "app/AtomicFile.h"
#include "app/InputFile.h"
#include "port/Communication.h"
#include "tools/LogoBitmap.h"
#include "tools/imaging/LogoImport.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace quillory::cli {
namespace {

// Pictures that cannot be read at all (the picture module is missing) are no fault of the file.
int ConversionFailure(CliContext& context, const QString& message, const QString& why) {
    const QString decoder = PictureDecoderProblem();
    return context.Fail(!decoder.isEmpty() && why.endsWith(decoder) ? kExitPrinterBase + COMM_UNAVAILABLE
                                                                    : kExitBadInput,
                        message);
}

int Convert(CliContext& context, const QString& picture, const QString& output) {
    CLogoBitmap bitmap;
    QString error;
    if (!PictureFileToLogo(picture, bitmap, &error))
        return ConversionFailure(context, QStringLiteral("cannot convert %1: %2").arg(picture, error), error);
    QString why;
    if (!WriteFileAtomically(output, LogoStream(bitmap), &why))
        return context.Fail(kExitPrinterBase + COMM_CREATE_FILE,
                            QStringLiteral("cannot write %1: %2").arg(output, why));
    return kExitOk;
}

int Download(CliContext& context, const QString& path) {
    CLogoBitmap bitmap;
    QString error;
    if (!LogoOrPictureToLogo(path, bitmap, error, LANGUAGE_ENGLISH))
        return ConversionFailure(context, error, error);
    return context.WithPort([&](const tagPORTINFO& port) {
        if (const int code = DownloadLogo(port, bitmap); code != 0)
            return context.PrinterFailure(code, {});
        return kExitOk;
    });
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
