#include "app/Startup.h"

#include "app/Workspace.h"
#include "link/Link.h"

QString StartUp(Workspace& ws, const QString& settingsPath) {
    ws.LoadStartupValues();
    ws.channelNames.load(channelNamesPath(settingsPath, ws.identification.DeviceType));

    QString settingsError;
    ws.settings = loadPortSettings(settingsPath, &settingsError);
    ws.setLanguageOffset(ws.settings.LanguageOffset);
    ws.link().setDeviceAddress(ws.settings.DeviceAddress);

    ws.announceIdentificationChanged();
    ws.announceImageReplaced();
    return settingsError;
}
