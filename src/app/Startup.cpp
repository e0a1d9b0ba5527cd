#include "app/Startup.h"

#include "app/Workspace.h"
#include "link/Link.h"

QString StartUp(Workspace& ws, const QString& settingsPath) {
    // Start-up values, the default parameter-block table and the default offline configuration
    // (its external current inputs and parameter-set ID included).
    ws.LoadStartupValues();
    ws.channelNames.load(channelNamesPath(settingsPath, ws.identification.DeviceType));

    QString settingsError;
    ws.settings = loadPortSettings(settingsPath, &settingsError);
    ws.setLanguageOffset(ws.settings.LanguageOffset);
    ws.link().DeviceAddress = ws.settings.DeviceAddress;
    ws.announceIdentificationChanged();
    ws.announceImageReplaced();
    return settingsError;
}
