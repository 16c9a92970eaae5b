// CheckExportTarget: the target resolved as Windows resolves it, before anything is opened for
// writing.
#include "history/export_target.h"
#include "platform/file_identity.h"
#include "platform/file_io.h"
#include "platform/wide_text.h"

void CheckExportTarget(const std::string& path) {
    if (IsDevicePath(path))
        throw RefusedTarget(path, kDeviceText);
    const TFullPath target = FullPathOf(WideFromUtf8(path));
    if (IsDevicePath(Utf8FromWide(target.Folder + target.Name)))
        throw RefusedTarget(path, kDeviceText); // what the system itself takes for a device
    const std::wstring folder = WideFromUtf8(ExecutableDirectory());
    const auto targetFolder = FileIdentity(target.Folder);
    const bool ownFolder = targetFolder && targetFolder == FileIdentity(folder);
    const auto targetFile = FileIdentity(target.Folder + target.Name);
    for (const TOwnFile& own : kOwnFiles) {
        const std::wstring name = WideFromUtf8(own.Name);
        if ((ownFolder && NamesFile(target.Name, name)) ||
            (targetFile && targetFile == FileIdentity(folder + name)))
            throw RefusedTarget(own.Name, own.What);
    }
}
