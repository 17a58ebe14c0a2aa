// Enemies: the spawn and defeat clouds, the death blocks, the three walkers, the spider on its
// thread and the chase skull, alone and on the real stages.

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "actors/bat.h"
#include "actors/bones.h"
#include "actors/chase_skull.h"
#include "actors/crab.h"
#include "actors/death_block.h"
#include "actors/enemy_kinds.h"
#include "actors/patrol_enemy.h"
#include "actors/player.h"
#include "actors/spider.h"
#include "shell/image.h"
#include "support/harness.h"
#include "support/stage_helpers.h"
#include "toolkit/anim.h"
#include "world/stage_actual.h"

namespace {

class EnemyTest : public ::testing::Test {
  protected:
    EnemyTest() : h(Options()) {}
    static HarnessOptions Options() {
        HarnessOptions o;
        o.recordAudio = true;
        return o;
    }
    // Past the spawn: present, no cloud, free to move.
    static void Patrolling(TEnemy& e) {
        e.Hidden = 0;
        e.SpawnPoof.reset();
        e.SpawnDelay = 0;
    }
    // Where frame calls of the last drawing went.
    std::vector<DrawCall> Drawn(TEnemy& e) {
        h.driver.Clear();
        e.Render();
        return h.driver.Of(DrawCall::FRAME);
    }
    Harness h;
};

TEST_F(EnemyTest, DeathBlocksAreDeadlyOnlyInTheirPartOfTheCell) {
    struct Case {
        int kind;
        float x, y, w, h;
    };
    const Case cases[] = {{12, 2, 2, 12, 12}, {13, 2, 6, 12, 10}, {14, 2, 0, 12, 10},
                          {15, 0, 2, 10, 12}, {16, 6, 2, 10, 12}, {20, 0, 0, 16, 16}};
    for (const Case& c : cases) {
        auto b = TDeathBlock::Add(3, 5, c.kind);
        EXPECT_FLOAT_EQ(b->HitBox->GetX(), 48 + c.x) << c.kind;
        EXPECT_FLOAT_EQ(b->HitBox->GetY(), 80 + c.y) << c.kind;
        EXPECT_FLOAT_EQ(b->HitBox->GetWidth(), c.w) << c.kind;
        EXPECT_FLOAT_EQ(b->HitBox->GetHeight(), c.h) << c.kind;
        EXPECT_EQ(b->Hidden, 0);
        b->Defeated();
        b->Spawn();
        b->Update();
        EXPECT_EQ(b->Hidden, 0);
        EXPECT_TRUE(b->Deadly());
    }
    auto block = TDeathBlock::Add(3, 5, 14);
    auto frames = Drawn(*block);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_FLOAT_EQ(frames[0].Left(), 48);
}

// Every row of the registry makes its own class from a record, answers for its stage-file
// types and for the enemies it made, and copies one whole: every field, and parts of its own.
TEST_F(EnemyTest, EveryKindIsMadeFromItsRecordAndCopiedWhole) {
    std::set<int> types;
    for (const EnemyKind& kind : EnemyKinds()) {
        SCOPED_TRACE(kind.name);
        for (int t = kind.firstType; t <= kind.lastType; ++t) {
            EXPECT_TRUE(types.insert(t).second) << "type " << t << " of two kinds";
            EXPECT_EQ(EnemyKindOf(t), &kind);
        }
        std::unique_ptr<TEnemy> enemy = kind.make({3, 4, kind.firstType, -0.5f, 1, 2});
        ASSERT_TRUE(enemy);
        EXPECT_EQ(EnemyKindOf(*enemy), &kind);
        EXPECT_FLOAT_EQ(enemy->X, 48);
        std::unique_ptr<TEnemy> copy = kind.clone(*enemy);
        EXPECT_EQ(typeid(*copy), typeid(*enemy));
        EXPECT_EQ(std::tie(copy->X, copy->Y, copy->Speed, copy->PointA, copy->PointB, copy->Hidden),
                  std::tie(enemy->X, enemy->Y, enemy->Speed, enemy->PointA, enemy->PointB,
                           enemy->Hidden));
        ASSERT_TRUE(copy->HitBox);
        EXPECT_NE(copy->HitBox.get(), enemy->HitBox.get());
        EXPECT_FLOAT_EQ(copy->HitBox->LeftSide(), enemy->HitBox->LeftSide());
    }
    EXPECT_EQ(EnemyKindOf(6), nullptr);
    EXPECT_EQ(EnemyKindOf(24)->clone(*EnemyKindOf(27)->make({1, 1, 27, 1, 1, 1})), nullptr);
    EXPECT_EQ(EnemyKindOf(*TChaseSkull::Add(0, -1)), nullptr);  // made by the stage, not a row
    // A patrolling enemy's clouds are copied too, not shared.
    auto crab = EnemyKindOf(27)->make({1, 1, 27, 1, 1, 1});
    crab->Spawn();
    auto copy = EnemyKindOf(27)->clone(*crab);
    ASSERT_TRUE(copy->SpawnPoof);
    EXPECT_NE(copy->SpawnPoof.get(), crab->SpawnPoof.get());
    EXPECT_EQ(copy->SpawnPoof->DelayTime, crab->SpawnPoof->DelayTime);
}

TEST_F(EnemyTest, SpawnCloudWaitsHalfASecondPlaysFramesOneToFiveThenTheEnemySettles) {
    auto crab = TCrab::Add(4, 4, 0.5f, 2, 2);
    auto bat = TBat::Add(8, 2, 0.5f, 1, 1);
    EXPECT_EQ(crab->Hidden, 1);
    EXPECT_TRUE(Drawn(*crab).empty());
    h.SoundsPlayed();
    crab->Spawn();
    bat->Spawn();
    // Dangerous at once, drawn not at all for the first 500 ms.
    EXPECT_TRUE(crab->Deadly());
    EXPECT_FLOAT_EQ(crab->HitBox->GetX(), 67);
    const int dropped = GameMilliSecs();
    for (int t = 0; t < 490; t += 10) {
        h.clock.Advance(10);
        crab->Update();
        bat->Update();
        EXPECT_TRUE(Drawn(*crab).empty()) << t;
        EXPECT_FLOAT_EQ(crab->X, 64);
    }
    EXPECT_TRUE(h.SoundsPlayed().empty());
    h.clock.Advance(10);
    crab->Update();
    bat->Update();
    // Due: seen from its second frame, one poof sound for both clouds.
    EXPECT_EQ(crab->SpawnPoof->Anim->Value(), 1);
    EXPECT_EQ(h.SoundsPlayed(), (std::vector<std::string>{"enemy_poof"}));
    std::vector<int> seen;
    while (crab->SpawnPoof) {
        if (seen.empty() || seen.back() != crab->SpawnPoof->Anim->Value())
            seen.push_back(crab->SpawnPoof->Anim->Value());
        h.clock.Advance(10);
        crab->Update();
        bat->Update();
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5}));
    const int cloudGone = GameMilliSecs();
    // 500 ms of waiting, then five steps of at least 50 ms (a step is taken on the first tick
    // after it is due).
    EXPECT_GE(cloudGone - dropped, 750);
    EXPECT_LE(cloudGone - dropped, 810);
    EXPECT_TRUE(h.SoundsPlayed().empty());
    // Settled: drawn, still for 500 ms, then on its way.
    EXPECT_EQ(Drawn(*crab).size(), 1u);
    while (crab->X == 64) {
        h.clock.Advance(10);
        crab->Update();
    }
    EXPECT_NEAR(GameMilliSecs() - cloudGone, 500, 20);
}

TEST_F(EnemyTest, DefeatHidesAtOnceInASilentCloud) {
    auto bones = TBones::Add(2, 6, -0.5f, 1, 1);
    Patrolling(*bones);
    TEnemyPoof::poofSoundPlayed = 1;  // as after the spawn clouds
    h.SoundsPlayed();
    bones->Defeated();
    EXPECT_EQ(bones->Hidden, 1);
    EXPECT_FALSE(bones->Deadly());
    bones->Update();
    EXPECT_EQ(Drawn(*bones).size(), 1u);  // the cloud
    while (bones->DefeatPoof) {
        h.clock.Advance(10);
        bones->Update();
    }
    EXPECT_TRUE(Drawn(*bones).empty());
    EXPECT_TRUE(h.SoundsPlayed().empty());
}

TEST_F(EnemyTest, TheCrabTurnsJustPastEachBound) {
    auto crab = TCrab::Add(8, 2, 0.5f, 2, 3);
    EXPECT_EQ(crab->PointA, 96);
    EXPECT_EQ(crab->PointB, 176);
    EXPECT_EQ(crab->Faceing, TEnemy::FACE_RIGHT);
    Patrolling(*crab);
    std::vector<float> turns;
    float speed = crab->Speed;
    for (int i = 0; i < 700; ++i) {
        crab->Update();
        if (crab->Speed != speed) {
            turns.push_back(crab->X);
            speed = crab->Speed;
        }
    }
    ASSERT_GE(turns.size(), 3u);
    EXPECT_FLOAT_EQ(turns[0], 176.5f);
    EXPECT_FLOAT_EQ(turns[1], 95.5f);
    EXPECT_FLOAT_EQ(turns[2], 176.5f);
    EXPECT_FLOAT_EQ(crab->HitBox->GetX(), crab->X + 3);
}

TEST_F(EnemyTest, NegativeSpeedStartsLeftZeroRangesTurnEverySecondTickZeroSpeedStays) {
    auto bat = TBat::Add(5, 3, -0.5f, 1, 1);
    EXPECT_EQ(bat->Faceing, TEnemy::FACE_LEFT);
    Patrolling(*bat);
    bat->Update();
    EXPECT_FLOAT_EQ(bat->X, 79.5f);
    auto crab = TCrab::Add(5, 3, 0.5f, 0, 0);
    Patrolling(*crab);
    std::vector<float> xs;
    for (int i = 0; i < 6; ++i) {
        crab->Update();
        xs.push_back(crab->X);
    }
    EXPECT_EQ(xs, (std::vector<float>{80.5f, 80, 79.5f, 80, 80.5f, 80}));
    auto still = TCrab::Add(5, 3, 0, 2, 2);
    EXPECT_EQ(still->Faceing, TEnemy::FACE_RIGHT);
    Patrolling(*still);
    for (int i = 0; i < 50; ++i) still->Update();
    EXPECT_FLOAT_EQ(still->X, 80);
    EXPECT_TRUE(still->Deadly());
}

TEST_F(EnemyTest, PicturesFaceTheirWayBonesNeverMirrored) {
    auto crab = TCrab::Add(5, 3, 0.5f, 1, 1);
    auto bat = TBat::Add(5, 3, 0.5f, 1, 1);
    auto bones = TBones::Add(5, 3, 0.5f, 1, 1);
    for (TEnemy* e : {static_cast<TEnemy*>(crab.get()), static_cast<TEnemy*>(bat.get()),
                      static_cast<TEnemy*>(bones.get())})
        Patrolling(*e);
    // The crab's picture faces left: mirrored while it walks right. The bat's faces right.
    EXPECT_FLOAT_EQ(Drawn(*crab)[0].ix, -1);
    EXPECT_FLOAT_EQ(Drawn(*crab)[0].Left(), 96);
    EXPECT_FLOAT_EQ(Drawn(*bat)[0].ix, 1);
    for (int i = 0; i < 40; ++i) {
        crab->Update();
        bat->Update();
        bones->Update();
        EXPECT_FLOAT_EQ(Drawn(*bones)[0].ix, 1);
    }
    ASSERT_LT(crab->Speed, 0);
    EXPECT_FLOAT_EQ(Drawn(*crab)[0].ix, 1);
    EXPECT_FLOAT_EQ(Drawn(*bat)[0].ix, -1);
    EXPECT_EQ(bones->Faceing, TEnemy::FACE_RIGHT);
    // Hit boxes by kind.
    EXPECT_FLOAT_EQ(bat->HitBox->GetWidth(), 12);
    EXPECT_FLOAT_EQ(bat->HitBox->GetHeight(), 7);
    EXPECT_FLOAT_EQ(bones->HitBox->GetWidth(), 10);
}

TEST_F(EnemyTest, RandomStartStepsStayInsideEachSequence) {
    std::set<int> crab, bones, bat, spider;
    for (int i = 0; i < 60; ++i) {
        crab.insert(TCrab::Add(1, 1, 0.5f, 1, 1)->Anim->seq_frame);
        bones.insert(TBones::Add(1, 1, 0.5f, 1, 1)->Anim->seq_frame);
        bat.insert(TBat::Add(1, 1, 0.5f, 1, 1)->Anim->seq_frame);
        spider.insert(TSpider::Add(1, 1, 0.5f, 1, 1)->Anim->seq_frame);
    }
    EXPECT_EQ(crab, (std::set<int>{0, 1}));
    EXPECT_EQ(bones, (std::set<int>{0, 1, 2}));
    EXPECT_EQ(bat, (std::set<int>{0, 1, 2, 3}));
    EXPECT_EQ(spider, (std::set<int>{0, 1, 2}));
}

TEST_F(EnemyTest, TheSpiderClimbsItsThreadBetweenItsBounds) {
    auto spider = TSpider::Add(1, 4, 0.5f, 2, 3);
    EXPECT_EQ(spider->WebAnchorPoint, 32);
    EXPECT_EQ(spider->PointA, 32);
    EXPECT_EQ(spider->PointB, 112);
    Patrolling(*spider);
    auto web = [&] {
        h.driver.Clear();
        spider->Render();
        auto rects = h.driver.Of(DrawCall::RECT);
        EXPECT_EQ(rects.size(), 1u);
        return rects.empty() ? DrawCall{} : rects[0];
    };
    DrawCall w = web();
    EXPECT_FLOAT_EQ(w.Height(), 32);
    EXPECT_FLOAT_EQ(w.Width(), 1);
    EXPECT_FLOAT_EQ(w.Left(), 24);
    EXPECT_EQ(w.b, 202);
    // The thread is drawn after the spider, and the colour goes back to white.
    EXPECT_EQ(h.driver.calls.back().kind, DrawCall::RECT);
    float lowest = 0, highest = 1000;
    for (int i = 0; i < 500; ++i) {
        spider->Update();
        lowest = std::max(lowest, spider->Y);
        highest = std::min(highest, spider->Y);
        EXPECT_FLOAT_EQ(web().Height(), spider->Y - 32);
    }
    EXPECT_FLOAT_EQ(lowest, 112.5f);
    EXPECT_FLOAT_EQ(highest, 31.5f);  // a half-pixel thread pointing up at the turn
    EXPECT_FLOAT_EQ(Drawn(*spider)[0].ix, 1);
    auto up = TSpider::Add(1, 4, -0.5f, 0, 2);
    EXPECT_EQ(up->WebAnchorPoint, 64);
    Patrolling(*up);
    up->Update();
    EXPECT_FLOAT_EQ(up->Y, 63.5f);
}

TEST_F(EnemyTest, TheSkullWaitsHiddenAboveTheFieldAndWakesOnce) {
    auto skull = TChaseSkull::Add(0, -1);
    EXPECT_FLOAT_EQ(skull->X, 0);
    EXPECT_FLOAT_EQ(skull->Y, -16);
    EXPECT_EQ(skull->Hidden, 1);
    EXPECT_FALSE(skull->Deadly());
    skull->Update();
    EXPECT_TRUE(Drawn(*skull).empty());
    h.MusicCued();
    skull->Activate();
    skull->Activate();
    EXPECT_EQ(skull->Hidden, 0);
    EXPECT_EQ(h.MusicCued(), (std::vector<std::string>{"music_chase"}));
    skull->Defeated();
    EXPECT_EQ(skull->Hidden, 0);
}

TEST_F(EnemyTest, TheSkullDriftsRightAndTurnsDownTowardsAPlayerBelowRight) {
    auto skull = TChaseSkull::Add(0, -1);
    skull->Activate();
    Player::X = 120;
    Player::Y = 100;
    float lastX = skull->X;
    int lastAngle = skull->Angle;
    for (int i = 0; i < 8; ++i) {
        const float boxX = skull->X;
        skull->Update();
        // The box takes the position of the tick before.
        EXPECT_FLOAT_EQ(skull->HitBox->x, boxX);
        EXPECT_GT(skull->X, lastX);
        EXPECT_GT(skull->Angle, lastAngle);
        EXPECT_LT(skull->Angle, 90);
        lastX = skull->X;
        lastAngle = skull->Angle;
    }
    // Flying 0.66 pixels a tick, it settles on the bearing towards the player.
    for (int i = 0; i < 40; ++i) skull->Update();
    const int bearing = int(std::atan2(100 - skull->Y, 120 - skull->X) * 180 / M_PI);
    EXPECT_NEAR(skull->Angle, bearing, 5);
}

TEST_F(EnemyTest, TruncationSettlesFromAboveAndStopsShortFromBelow) {
    // t is the bearing away from the player; the heading towards him is t + 180.
    int from_above = 200;
    for (int i = 0; i < 40; ++i) from_above = TChaseSkull::Steer(from_above, 0, 0.66f, 5);
    EXPECT_EQ(from_above, 180);
    int from_below = 160;
    for (int i = 0; i < 40; ++i) from_below = TChaseSkull::Steer(from_below, 0, 0.66f, 5);
    EXPECT_GE(from_below, 176);
    EXPECT_LT(from_below, 180);
    EXPECT_EQ(TChaseSkull::Steer(0, 0, 0.66f, 5), 0);      // heading straight away: kept
    EXPECT_EQ(TChaseSkull::Steer(180, 0, 0.66f, 5), 180);  // straight at him: kept
}

TEST_F(EnemyTest, TheSkullHoldsStillWithinAPixelAndFlashesRed) {
    auto skull = TChaseSkull::Add(3, 3);
    skull->Activate();
    Player::X = 48.5f;
    Player::Y = 48.5f;
    for (int i = 0; i < 5; ++i) skull->Update();
    EXPECT_FLOAT_EQ(skull->X, 48);
    EXPECT_FLOAT_EQ(skull->Y, 48);
    std::set<int> reds;
    for (int t = 0; t < 1000; t += 10) {
        h.clock.Advance(10);
        skull->Update();
        reds.insert(Drawn(*skull)[0].g == 0 ? 1 : 0);
    }
    EXPECT_EQ(reds, (std::set<int>{0, 1}));
}

// On the shipped stages: everything that patrols appears with the curtains, in clouds, with one
// poof sound, and goes again when the last gem is got.
class ShippedStageEnemies : public ::testing::TestWithParam<int> {};

TEST_P(ShippedStageEnemies, AppearInCloudsMoveAfterThemAndVanishWithTheLastGem) {
    HarnessOptions o;
    o.recordAudio = true;
    o.settings = {{"Stage Start", GetParam()}};
    Harness h(o);
    h.StartGame();
    std::vector<TEnemy*> patrols;
    for (auto& e : StageActual::Enemies)
        if (!dynamic_cast<TDeathBlock*>(e.get())) patrols.push_back(e.get());
    ASSERT_FALSE(patrols.empty());
    h.SoundsPlayed();
    while (StageActual::Curtains->Action != TStageCurtins::FIN) {
        for (TEnemy* e : patrols) EXPECT_EQ(e->Hidden, 1);
        h.RunFrames(1);
    }
    const int opened = GameMilliSecs();
    std::vector<float> start;
    for (TEnemy* e : patrols) {
        EXPECT_EQ(e->Hidden, 0);
        EXPECT_NE(e->SpawnPoof, nullptr);
        start.push_back(e->X + e->Y);
    }
    // Harmless-looking but deadly in the cloud, moving half a second after it.
    h.RunFor(700);
    for (TEnemy* e : patrols) EXPECT_TRUE(e->Deadly());
    h.RunFor(700);
    for (std::size_t i = 0; i < patrols.size(); ++i) {
        EXPECT_EQ(patrols[i]->SpawnPoof, nullptr);
        if (patrols[i]->Speed != 0) {
            EXPECT_NE(patrols[i]->X + patrols[i]->Y, start[i]) << i;
        }
    }
    EXPECT_GE(GameMilliSecs() - opened, 1300);
    int poofs = 0;
    for (const std::string& s : h.SoundsPlayed()) poofs += s == "enemy_poof";
    EXPECT_EQ(poofs, 1);
    // Every gem at once: the patrols go in clouds, the blocks and the skull stay.
    Player::Dying = 0;
    for (auto& [key, gem] : StageActual::Gems) gem->Collected();
    StageActual::ChaseSkull->Activate();
    h.RunFrames(1);
    for (TEnemy* e : patrols) {
        EXPECT_EQ(e->Hidden, 1);
        EXPECT_NE(e->DefeatPoof, nullptr);
    }
    for (auto& e : StageActual::Enemies) {
        if (dynamic_cast<TDeathBlock*>(e.get())) {
            EXPECT_EQ(e->Hidden, 0);
        }
    }
    EXPECT_EQ(StageActual::ChaseSkull->Hidden, 0);
}

INSTANTIATE_TEST_SUITE_P(Stages, ShippedStageEnemies, ::testing::Values(0, 1, 2, 3));

}  // namespace
