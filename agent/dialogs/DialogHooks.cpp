#include "agent/dialogs/DialogHooks.h"

#include "agent/dialogs/QrImageFile.h"
#include "platform/Cp932.h"

void DialogHooks::SaveQr(const std::string& address, const std::string& suggestedName) const {
    const std::string path = chooseFile(suggestedName);
    if (path.empty())
        return;
    if (!QrImageFile::Save(path, address))
        inform(platform::J("QRコードの画像を保存できませんでした。\n") + path);
}
