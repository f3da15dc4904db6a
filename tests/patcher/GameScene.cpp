#include "tests/patcher/GameScene.h"

#include "patcher/install/ApplyPatch.h"
#include "patcher/install/Backup.h"
#include "patcher/install/PatchInstall.h"
#include "platform/FileOps.h"

GameScene::GameScene() {
    MakeGameFolder(game);
    CreateFolder(base);
    WriteFileBytes(pack, FlatArchiveBytes(RegularPackEntries()));
}

bool GameScene::Backup() {
    return BackupOriginals(game, prompts);
}

bool GameScene::Restore() {
    return RestoreOriginals(game, prompts);
}

bool GameScene::Apply() {
    const auto cancelWhen = progress.cancelWhen;
    progress = FakeProgress();
    progress.cancelWhen = cancelWhen;
    return PrepareWorkFolder(base, prompts) && ApplyPatch(game, pack, base, prompts, progress);
}
