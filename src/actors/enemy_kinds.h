#pragma once
// The registry of enemy kinds: one row per kind, written in enemy_kinds.def, with what the stage
// loader needs to make one, what the image registry cuts for it, and how a whole copy is made.

#include <memory>
#include <span>
#include <typeinfo>

#include "actors/enemy.h"

// The fields of one stage-file record an enemy is made from.
struct EnemyRecord {
    int x = 0, y = 0;  // grid cell
    int type = 0;      // stage-file type
    float speed = 0;   // pixels a tick, signed: a patrolling kind's first direction
    int before = 0;    // tiles it may go left (or up) of its cell
    int after = 0;     // and right (or down)
};

struct EnemyKind {
    const char* name;
    int firstType, lastType;
    // A new enemy of this kind from its record.
    std::unique_ptr<TEnemy> (*make)(const EnemyRecord& record);
    // A whole copy of an enemy of this kind (the solver's snapshots); null for any other enemy.
    std::unique_ptr<TEnemy> (*clone)(const TEnemy& enemy);
    const std::type_info& type;
    char axis;  // 'h', 'v', or 0 for a fixed kind
};

// Every row, in the order of enemy_kinds.def.
std::span<const EnemyKind> EnemyKinds();
// Adds every kind's picture to the strips the image registry cuts at start-up (before
// Image::Load).
void AddEnemyPictures();
// The kind a stage-file type makes; null for a type no kind has.
const EnemyKind* EnemyKindOf(int type);
// The kind an enemy was made as; null for one no row makes (the chase skull).
const EnemyKind* EnemyKindOf(const TEnemy& enemy);
