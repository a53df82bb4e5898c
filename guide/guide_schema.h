#pragma once
// The tables of the guide database, shared by the writer and the store.
//   channels(row, id, names)            names: the display names joined by a line feed
//   programmes(channel, start, stop, title, sub_title, episode, description, category), kept in the
//     order of (channel, start): the rows of a channel lie together, and a guide written channel by
//     channel, as guides are, is appended without an index to build; of two programmes of a channel
//     with the same start, the first one read stays
//   list_channels(key, channel, kind, shift_hours)   automatic matches; channel is NULL without one
//   info(key, value)                    read_at and the reading's summary
// The choices database holds choices(key, guide_id): the hand-chosen matches.

namespace zentavo::guide_schema {

inline constexpr int kVersion = 1;

inline constexpr const char* kCreateGuide = R"(
CREATE TABLE channels(row INTEGER PRIMARY KEY, id TEXT NOT NULL UNIQUE, names TEXT NOT NULL);
CREATE TABLE programmes(channel INTEGER NOT NULL, start INTEGER NOT NULL, stop INTEGER NOT NULL, title TEXT NOT NULL,
  sub_title TEXT NOT NULL, episode TEXT NOT NULL, description TEXT NOT NULL, category TEXT NOT NULL,
  PRIMARY KEY(channel, start)) WITHOUT ROWID;
CREATE TABLE list_channels(key TEXT PRIMARY KEY, channel INTEGER, kind INTEGER NOT NULL, shift_hours INTEGER NOT NULL)
  WITHOUT ROWID;
CREATE TABLE info(key TEXT PRIMARY KEY, value) WITHOUT ROWID;
)";

inline constexpr const char* kCreateChoices =
    "CREATE TABLE IF NOT EXISTS choices(key TEXT PRIMARY KEY, guide_id TEXT NOT NULL) WITHOUT ROWID;";

} // namespace zentavo::guide_schema
