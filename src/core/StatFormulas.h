#pragma once

#include <QString>

#include <array>

// The character stat calculator's arithmetic, in the exact order of operations the game's tables use,
// and the production experience rule.
namespace StatFormulas {

// Points put into the five base stats, in box order: 體, 力, 強, 速, 魔.
using Stats = std::array<double, 5>;
// HP, MP, 攻, 防, 敏, 精, 回.
using Abilities = std::array<double, 7>;

// Points a level gives: (L - 1) * 4 + 30.
[[nodiscard]] double pointTotal(double level);

// The point total minus the five stats, subtracted one by one in box order.
[[nodiscard]] double availablePoints(double level, const Stats& stats);

// The seven derived abilities. Products first, then terms combined strictly left to right; the last
// bits of the results depend on that order.
[[nodiscard]] Abilities abilities(const Stats& stats);

// What the message line shows for a level and distribution: empty, the level warning above level 100,
// or the warning of the last stat (checked 體, 速, 力, 強, 魔) holding more than half the point total.
[[nodiscard]] QString messageLine(double level, const Stats& stats);

// Experience of one use at ratio t: its whole part from 1 up, 1 from 0.5 up, else 0 (also for a ratio
// that cannot be computed).
[[nodiscard]] double expGain(double t);

// The ratio of a use at level `used` with the skill at level `current` and highest gain `highest`:
// divided first, multiplied second.
[[nodiscard]] double expRatio(double used, double current, double highest);

} // namespace StatFormulas
