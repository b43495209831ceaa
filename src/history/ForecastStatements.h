#pragma once
// The statements the forecasts read and write the store with, prepared once for every day a
// connection reads or writes: a pass over a year reads and writes each day once.

#include "history/BatchInsert.h"
#include "history/SqliteDb.h"

struct CForecastStatements {
    explicit CForecastStatements(CSqliteDb& db)
        : races(db.Prepare("SELECT id, outcome FROM races WHERE id >= ?1 AND id < ?2 ORDER BY id")),
          entries(db.Prepare("SELECT id, class, win_rate, two_rate, local_win_rate, local_two_rate, motor, motor_rate, "
                             "hull_rate, age, weight, home, meet, early, course, place, start_timing, exhibition "
                             "FROM entries WHERE id >= ?1 AND id < ?2")),
          payouts(db.Prepare("SELECT id, combo, pay FROM payouts WHERE id >= ?1 AND id < ?2 AND id / 16 % 8 IN (2, 5)")),
          transaction(db),
          removeForecasts(db.Prepare("DELETE FROM forecasts WHERE race >= ?1 AND race < ?2")),
          removeSums(db.Prepare("DELETE FROM forecast_days WHERE day = ?1")),
          sums(db.Prepare("INSERT INTO forecast_days VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)")),
          done(db.Prepare("UPDATE forecast_state SET stale_from = ?3 WHERE id = 0 AND stale_from = ?2 AND model = ?1")),
          forecasts(db, "forecasts", 7)
    {
    }

    CSqliteStatement races, entries, payouts;
    CSqliteTransaction transaction;
    CSqliteStatement removeForecasts, removeSums, sums, done;
    CBatchInsert forecasts;
};
