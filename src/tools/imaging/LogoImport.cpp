#include "tools/imaging/LogoImport.h"

#include "app/AppSettings.h"
#include "app/ProgramModule.h"
#include "tools/imaging/PictureDecode.h"

#include <QFileInfo>

#include <atomic>

namespace quillory {
namespace {

using PictureDecodeFunction = int (*)(const unsigned char*, unsigned long long, unsigned char*, int);

std::atomic<PictureDecodeFunction> gRegisteredDecoder{nullptr};

const ProgramModuleEntry& ModuleDecoder() {
    static const ProgramModuleEntry loaded =
        LoadProgramModule(QStringLiteral(QUILLORY_PICTURE_MODULE), QUILLORY_PICTURE_ENTRY);
    return loaded;
}

PictureDecodeFunction Decoder() {
    if (const PictureDecodeFunction registered = gRegisteredDecoder.load())
        return registered;
    return reinterpret_cast<PictureDecodeFunction>(ModuleDecoder().entry);
}

} // namespace

void SetPictureDecoder(PictureDecodeFunction decode) {
    gRegisteredDecoder.store(decode);
}

QString PictureDecoderProblem() {
    if (gRegisteredDecoder.load())
        return {};
    const QString& problem = ModuleDecoder().problem;
    return problem.isEmpty() ? QString() : QStringLiteral("pictures cannot be read: ") + problem;
}

bool PictureToLogo(const QByteArray& pictureBytes, CLogoBitmap& bitmap) {
    const PictureDecodeFunction decode = Decoder();
    std::array<std::uint8_t, CLogoBitmap::kBytes> bytes{};
    if (!decode ||
        !decode(reinterpret_cast<const unsigned char*>(pictureBytes.constData()),
                static_cast<unsigned long long>(pictureBytes.size()), bytes.data(), int(bytes.size())))
        return false;
    CLogoBitmap converted;
    converted.SetBytes(bytes);
    converted.MirrorVertically(); // BMP rows run bottom-up
    bitmap = converted;
    return true;
}

PictureImport ImportPictureFile(const QString& path, CLogoBitmap& bitmap) {
    PictureImport result;
    const InputFileData file = ReadInputFile(path, InputFileKind::Picture);
    result.file = file.problem;
    result.reason = file.reason;
    result.converted = file.Ok() && PictureToLogo(file.bytes, bitmap);
    return result;
}

bool IsLogoFileName(const QString& path) {
    return path.endsWith(QStringLiteral(".logo"), Qt::CaseInsensitive);
}

LogoFileImport ImportLogoOrPicture(const QString& path, CLogoBitmap& bitmap) {
    LogoFileImport result;
    result.kind = IsLogoFileName(path) ? InputFileKind::LogoFile : InputFileKind::Picture;
    const InputFileData file = ReadInputFile(path, result.kind);
    result.file = file.problem;
    result.reason = file.reason;
    if (file.Ok()) {
        CLogoBitmap read;
        result.converted = result.kind == InputFileKind::LogoFile ? ParseLogoStream(file.bytes, read)
                                                                  : PictureToLogo(file.bytes, read);
        if (result.converted)
            bitmap = read;
    }
    return result;
}

QString LogoContentProblem(const LogoFileImport& import, const QString& path) {
    return import.kind == InputFileKind::LogoFile
               ? QStringLiteral("%1: not a logo file (%2 bytes starting with \"%3\" expected)")
                     .arg(path)
                     .arg(LogoStream(CLogoBitmap()).size())
                     .arg(QString::fromLatin1(LogoStreamHeader()))
           : !PictureDecoderProblem().isEmpty()
               ? QStringLiteral("%1: %2").arg(path, PictureDecoderProblem())
               : QStringLiteral("%1: not a complete picture that can be read").arg(path);
}

bool LogoOrPictureToLogo(const QString& path, CLogoBitmap& bitmap, QString& why, int language) {
    const LogoFileImport result = ImportLogoOrPicture(path, bitmap);
    if (result.file != InputFileProblem::None)
        why = InputFileProblemText(result.file, path, result.kind, language, result.reason);
    else if (!result.converted)
        why = LogoContentProblem(result, path);
    return result.converted;
}

bool PictureFileToLogo(const QString& path, CLogoBitmap& bitmap, QString* error) {
    const PictureImport result = ImportPictureFile(path, bitmap);
    if (error && result.file != InputFileProblem::None)
        *error =
            InputFileProblemText(result.file, path, InputFileKind::Picture, LANGUAGE_ENGLISH, result.reason);
    else if (error && !result.converted)
        *error = PictureDecoderProblem().isEmpty() ? QStringLiteral("not a complete picture that can be read")
                                                   : PictureDecoderProblem();
    return result.converted;
}

} // namespace quillory
