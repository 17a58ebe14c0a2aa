#include "world/stage_actual.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cstdio>

#include "actors/enemy_kinds.h"
#include "actors/player.h"
#include "engine/text.h"
#include "shell/display.h"
#include "shell/image.h"
#include "shell/settings.h"
#include "shell/sfx.h"
#include "toolkit/bitmap_font.h"
#include "toolkit/resets.h"
#include "world/stage_store.h"

namespace {
constexpr int kBorderColumns = 14;
constexpr int kBorderRows = 12;
constexpr int kInside = 4;
constexpr float kFieldLeft = 32;
constexpr float kFieldTop = 16;
constexpr int kThemes = 4;

constexpr std::array<int, 168> MakeBorderMap() {
    std::array<int, 168> map{};
    for (int r = 0; r < kBorderRows; ++r) {
        // Top row 0/1/2, sides 3/4/5, bottom row 6/7/8.
        const int band = r == 0 ? 0 : r == kBorderRows - 1 ? 6 : 3;
        for (int c = 0; c < kBorderColumns; ++c) {
            const int piece = c == 0 ? 0 : c == kBorderColumns - 1 ? 2 : 1;
            map[static_cast<std::size_t>(r * kBorderColumns + c)] = band + piece;
        }
    }
    return map;
}

// Milliseconds of a countdown of `seconds`, held inside the int range whatever the settings say.
int TimerDuration(int seconds) {
    const long long ms = static_cast<long long>(seconds) * 1000;
    return ms > INT_MAX ? INT_MAX : ms < INT_MIN ? INT_MIN : static_cast<int>(ms);
}

}  // namespace

const std::array<int, 168> StageActual::BorderMap = MakeBorderMap();

void StageActual::Init() {
    RegisterReset(&StageActual::Reset);
    Curtains = std::make_unique<TStageCurtins>();
    FinalStage = cfgStageFinal;
    StageTime = cfgStageTime;
}

void StageActual::Load() {
    const StageRecord stage = StageStore::GetStage(StageNumber);
    Theme = stage.Theme();
    Tiles.clear();
    Gems.clear();
    Enemies.clear();
    GoldCoin = nullptr;
    ChaseSkull = nullptr;
    CoinReleased = 0;
    LoadTiles(stage.tiles);
    LoadEntities(stage.entities);
    ChaseSkull = TChaseSkull::Add(0, -1);
    StageTimer = CreateTween(tweenLinear.get(), float(StageTime), 0, TimerDuration(StageTime));
    // Shows the full time and waits: the player starts it once he has walked in.
    StageTimer->Start();
    StageTimer->Update();
    StageTimer->Stop();
    Player::MoveTo(tuning::player::WALK_IN_X, tuning::player::WALK_IN_Y);
}

void StageActual::LoadTiles(const std::vector<TileRecord>& records) {
    for (const TileRecord& t : records) {
        if (t.frame >= SCENERY_FIRST && t.frame <= SCENERY_LAST) {
            Tiles[t.key] = TWorldTile::Add(float(t.x), t.y, t.key, t.frame, 1);
            continue;
        }
        Tiles[t.key] = TWorldTile::Add(float(t.x), t.y, t.key, t.frame, 0);
        // Invisible twins past the far edge stop a player who wraps round into a wall.
        if (t.x == TILESWIDE - 1) {
            const std::string twin = TwinKey(t.y, TWIN_OF_RIGHT_EDGE);
            Tiles[twin] = TWorldTile::Add(-1.5f, t.y, twin, TWIN_FRAME, 0);
        }
        if (t.x == 0) {
            const std::string twin = TwinKey(t.y, TWIN_OF_LEFT_EDGE);
            Tiles[twin] = TWorldTile::Add(12.5f, t.y, twin, TWIN_FRAME, 0);
        }
    }
}

void StageActual::LoadEntities(const std::vector<EntityRecord>& records) {
    for (const EntityRecord& e : records) AddEntity(e);
}

void StageActual::AddEntity(const EntityRecord& e) {
    const int x = e.x, y = e.y, type = e.type;
    if (type >= GEM_FIRST && type <= GEM_LAST) {
        Gems[e.key] = TGem::Add(x, y, e.key, type);
    } else if (const EnemyKind* kind = EnemyKindOf(type)) {
        Enemies.push_back(kind->make({x, y, type, e.Speed(), e.before, e.after}));
    } else if (type == GOLD_COIN) {
        // The coin waits one row above the field; the record's row is not used.
        GoldCoin = TGoldCoin::Add(x, -1);
        GoldCoin->SolidUnder = &StageActual::FirstSolidBox;
    } else if (state_.UnknownTypesNamed.insert(type).second) {
        std::fprintf(stderr,
                     "Stage %d holds an entity of type %d, which the game does not know: "
                     "it is left out.\n",
                     StageNumber, type);
    }
}

void StageActual::Update() {
    if (!StageTimer || !Curtains) return;
    StageTimer->Update();
    Curtains->Update();
    if (Curtains->JustOpened()) {
        for (auto& enemy : Enemies) enemy->Spawn();
        PlayThemeMusic();
    }
    if (Curtains->Action != TStageCurtins::FIN) return;
    if (StageTimer->Value() == 0 && ChaseSkull) ChaseSkull->Activate();
    UpdatePlayer();
    if (Player::Dying == 0) UpdateActors();
    if (AllGemsCollected() && CoinReleased == 0) {
        ReleaseCoin();
    } else if (CoinReleased == 1 && GoldCoin && GoldCoin->Got) {
        Won();
    }
}

void StageActual::UpdatePlayer() {
    const StageSurroundings around = Surroundings();
    const PlayerEvents events = Player::Update(around.View(GameMilliSecs()));
    if (events.walkedIn && StageTimer) StageTimer->Start();
    for (std::size_t i : events.gems) around.gemObjects[i]->Collected();
    if (events.coin) {
        GoldCoin->Anim->SetValue(0);
        GoldCoin->Collected();
    }
    if (events.hit) {
        if (StageTimer) StageTimer->Stop();
        SFX::StopMusic();
    }
    if (events.floatedAway) {
        State = Player::Lives < 0 ? STATE_GAMEOVER : STATE_LOST;
        if (Curtains) Curtains->Action = TStageCurtins::CLOSE;
    }
}

StageSurroundings StageActual::Surroundings() {
    StageSurroundings around;
    for (auto& [key, tile] : Tiles)
        if (tile->HitBox) around.solids.push_back(tile->HitBox.get());
    for (auto& [key, gem] : Gems) {
        around.gems.push_back(gem->HitBox.get());
        around.gemObjects.push_back(gem.get());
    }
    if (GoldCoin && GoldCoin->Hidden == 0) around.coin = GoldCoin->HitBox.get();
    for (auto& enemy : Enemies)
        if (enemy->Deadly()) around.deadly.push_back(enemy->HitBox.get());
    if (ChaseSkull && ChaseSkull->Deadly()) around.deadly.push_back(ChaseSkull->HitBox.get());
    return around;
}

PlayerSurroundings StageSurroundings::View(GameTime now) const {
    return {solids, gems, coin, deadly, now};
}

void StageActual::UpdateActors() {
    // A gem that has flown away leaves the table as soon as its Update is over.
    for (auto it = Gems.begin(); it != Gems.end();) {
        it->second->Update();
        it = it->second->Gone() ? Gems.erase(it) : std::next(it);
    }
    for (auto& enemy : Enemies) enemy->Update();
    if (ChaseSkull) ChaseSkull->Update();
    if (GoldCoin) GoldCoin->Update();
}

void StageActual::ReleaseCoin() {
    CoinReleased = 1;
    for (auto& enemy : Enemies) enemy->Defeated();
    SFX::Play(SFX::EnemyPoof);
    // A stage without a coin cannot be won; the chase skull ends it instead.
    if (GoldCoin) GoldCoin->Activate();
}

void StageActual::Won() {
    Curtains->Action = TStageCurtins::CLOSE;
    State = STATE_WON;
    if (StageNumber < INT_MAX) ++StageNumber;
    StageTimer->Stop();
    SFX::StopMusic();
}

void StageActual::Render() {
    display->SetOrigin(kFieldLeft, kFieldTop);
    display->SetViewport(kFieldLeft, kFieldTop, 192, 160);
    for (auto& [key, tile] : Tiles) tile->Render();
    for (auto& [key, gem] : Gems) gem->Render();
    for (auto& enemy : Enemies) enemy->Render();
    if (GoldCoin) GoldCoin->Render();
    if (ChaseSkull) ChaseSkull->Render();
    Player::Render();
    display->ClearViewPort();
    DrawBorder();
    display->SetOrigin(0, 0);
    RenderStageTime();
    if (Curtains) Curtains->Render();
}

int StageActual::AllGemsCollected() {
    for (auto& [key, gem] : Gems)
        if (gem->Got == 0) return 0;
    return 1;
}

void StageActual::DrawBorder() {
    // A theme without border art draws no border.
    if (Theme < 0 || Theme >= kThemes) return;
    AtlasTile* strip = Image::Borders[static_cast<std::size_t>(Theme)].get();
    if (!strip) return;
    for (int r = 0; r < kBorderRows; ++r) {
        for (int c = 0; c < kBorderColumns; ++c) {
            const int frame = BorderMap[static_cast<std::size_t>(r * kBorderColumns + c)];
            if (frame != kInside)
                strip->Render(float(c * 16 - 16), float(r * 16 - 16), frame, 0, 1, 1);
        }
    }
}

std::string StageActual::StageTimeText() {
    if (!StageTimer) return "";
    const float value = StageTimer->Value();
    if (StageTimer->isActive == 0 && value == 0) return "EEK!";
    const int seconds = value > 0 ? Int(value) : 0;
    return std::string(seconds < 10 ? "0" : "").append(FromInt(seconds));
}

void StageActual::RenderStageTime() {
    const std::string s = StageTimeText();
    if (s.empty() || !gameFont) return;
    gameFont->Draw(s, display->Width() / 2, 16, TBitMapFont::ALIGN_CENTER);
}

THitBox* StageActual::FirstSolidBox(THitBox& box) {
    for (auto& [key, tile] : Tiles)
        if (tile->HitBox && box.Overlaps(*tile->HitBox)) return tile->HitBox.get();
    return nullptr;
}

void StageActual::PlayThemeMusic() {
    if (Theme >= 0 && Theme < kThemes) SFX::PlayMusic(Theme);
}

void StageActual::Reset() {
    state_ = StageActualState{};
}
