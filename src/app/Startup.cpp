#include "app/Startup.h"

#include "app/Defaults.h"
#include "app/Workspace.h"
#include "device/ParameterBlocks.h"
#include "link/Link.h"

QString StartUp(Workspace& ws, const QString& settingsPath) {
    SetStartupValues(ws.identification, ws.memory);
    LoadDefaultRawBlock(ws.memory);
    ws.channelNames.load(channelNamesPath(settingsPath, ws.identification.DeviceType));

    QString settingsError;
    ws.settings = loadPortSettings(settingsPath, &settingsError);
    ws.setLanguageOffset(ws.settings.LanguageOffset);
    ws.link().DeviceAddress = ws.settings.DeviceAddress;

    LoadDefaultConfiguration(ws.image, ws.identification);
    UpdateExternalCurrentInputs(ws.identification, ws.image);
    CopyParameterSetId(ws.identification, ws.image);
    ws.announceIdentificationChanged();
    ws.announceImageReplaced();
    return settingsError;
}
