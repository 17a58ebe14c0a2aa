#pragma once
// The running stage: sets a stage up from the stage file, advances everything on it by one tick,
// decides when it is won, counts its time down and lets the chase skull loose when the time is
// up, and draws the field inside its border with the time and the curtains.

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "actors/chase_skull.h"
#include "actors/enemy.h"
#include "actors/player_step.h"
#include "toolkit/tween.h"
#include "world/gem.h"
#include "world/gold_coin.h"
#include "world/stage_curtains.h"
#include "world/stage_record.h"
#include "world/world_tile.h"

class THitBox;

// What the player can touch in one tick, gathered from the tables: the boxes, and the gems they
// belong to (gemObjects[i] owns gems[i]).
struct StageSurroundings {
    std::vector<const THitBox*> solids;
    std::vector<const THitBox*> gems;
    std::vector<TGem*> gemObjects;
    const THitBox* coin = nullptr;
    std::vector<const THitBox*> deadly;
    // The player's read-only view of these, at game time `now`.
    PlayerSurroundings View(GameTime now) const;
};

// The class-level globals of StageActual with their start values, so Reset cannot miss one.
struct StageActualState {
    int StageNumber = 0;
    int State = 0;
    int StageTime = 0;
    int FinalStage = 0;
    int Theme = 0;
    std::map<std::string, std::unique_ptr<TWorldTile>> Tiles;
    std::map<std::string, std::unique_ptr<TGem>> Gems;
    std::vector<std::unique_ptr<TEnemy>> Enemies;
    std::unique_ptr<TGoldCoin> GoldCoin;
    std::unique_ptr<TChaseSkull> ChaseSkull;
    std::unique_ptr<TStageCurtins> Curtains;
    std::unique_ptr<Tween> StageTimer;
    int CoinReleased = 0;
    // Entity types of the stage file that matched nothing, each named once on stderr.
    std::set<int> UnknownTypesNamed;
};

class StageActual {
    static inline StageActualState state_;

  public:
    static constexpr int STATE_NEWGAME = 0;
    static constexpr int STATE_WON = 1;
    static constexpr int STATE_LOST = 2;
    static constexpr int STATE_GAMEOVER = 3;
    static constexpr int TILESWIDE = 12;
    static constexpr int TILESHIGH = 10;

    static inline int& StageNumber = state_.StageNumber;
    static inline int& State = state_.State;
    static inline int& StageTime = state_.StageTime;
    static inline int& FinalStage = state_.FinalStage;
    static inline int& Theme = state_.Theme;
    static inline std::map<std::string, std::unique_ptr<TWorldTile>>& Tiles = state_.Tiles;
    static inline std::map<std::string, std::unique_ptr<TGem>>& Gems = state_.Gems;
    static inline std::vector<std::unique_ptr<TEnemy>>& Enemies = state_.Enemies;
    static inline std::unique_ptr<TGoldCoin>& GoldCoin = state_.GoldCoin;
    static inline std::unique_ptr<TChaseSkull>& ChaseSkull = state_.ChaseSkull;
    static inline std::unique_ptr<TStageCurtins>& Curtains = state_.Curtains;
    static inline std::unique_ptr<Tween>& StageTimer = state_.StageTimer;
    static inline int& CoinReleased = state_.CoinReleased;

    // Frame numbers of the border pieces, 12 rows of 14; 4 (the inside) is never drawn.
    static const std::array<int, 168> BorderMap;

    // Start-up: the curtains, and "Stage Final" and "Stage Time" from the settings.
    static void Init();
    // Sets up StageNumber's stage from empty tables and puts the player at the walk-in.
    static void Load();
    // Draws the field, its border, the time and the curtains.
    static void Render();
    // One tick of the stage.
    static void Update();
    // 1 when no gem is left waiting to be got (also when there are none).
    static int AllGemsCollected();
    static void DrawBorder();
    // The remaining whole seconds ("25" .. "00"), or "EEK!" once the time has run out.
    static void RenderStageTime();

    // The countdown text RenderStageTime draws.
    static std::string StageTimeText();
    // The tiles' solid boxes in key order, every gem, the coin while it is out, and what hurts.
    static StageSurroundings Surroundings();
    // The box of the first solid tile, in key order, that overlaps `box`; null when none does.
    static THitBox* FirstSolidBox(THitBox& box);
    // The stage's music; a theme without a track starts none.
    static void PlayThemeMusic();
    // Everything back to its start value (tests).
    static void Reset();

  private:
    static void LoadTiles(const std::vector<TileRecord>& records);
    static void LoadEntities(const std::vector<EntityRecord>& records);
    static void AddEntity(const EntityRecord& entity);
    static void UpdatePlayer();
    static void UpdateActors();
    static void ReleaseCoin();
    static void Won();
};
