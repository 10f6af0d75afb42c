-- The season database: every table of a season, plus the standard events.
-- New seasons start as a copy of the database built from this script.
-- Names compare without regard to case, so "smith" finds "Smith" when a
-- contestant, animal, contractor, team or rodeo is looked up by name.

CREATE TABLE Rodeos (
    RoId INTEGER PRIMARY KEY AUTOINCREMENT,
    RoName TEXT COLLATE NOCASE,
    RoDate TEXT,
    RoProfile TEXT,
    RoDispName1 TEXT,
    RoDispName2 TEXT,
    RoDispName3 TEXT,
    RoDispDates TEXT,
    RoDispLoc TEXT
);

CREATE TABLE Events (
    EvId TEXT PRIMARY KEY,
    EvName TEXT,
    EvStandard TEXT,
    EvType TEXT,
    EvRanking INTEGER
);

CREATE TABLE RodeoEvents (
    RoId INTEGER,
    EvId TEXT,
    ReGos INTEGER,
    ReFinals INTEGER,
    ReJudges TEXT,
    RePrecision INTEGER,
    ReFraction TEXT,
    PRIMARY KEY (RoId, EvId)
);

CREATE TABLE Rosters (
    PlrId INTEGER PRIMARY KEY AUTOINCREMENT,
    AfId INTEGER,
    PlrBib TEXT,
    PlrFirstName TEXT COLLATE NOCASE,
    PlrLastName TEXT COLLATE NOCASE,
    PlrYear TEXT,
    PlrHomeTown TEXT,
    PlrEarnLast TEXT,
    PlrEarnCur TEXT,
    PlrMisc TEXT,
    LeagueId INTEGER
);
CREATE INDEX RostersByName ON Rosters (PlrLastName, PlrFirstName);

CREATE TABLE Teams (
    TmId INTEGER,
    RoId INTEGER,
    TmName TEXT COLLATE NOCASE,
    PlrId1 INTEGER,
    PlrId2 INTEGER,
    PlrId3 INTEGER,
    PRIMARY KEY (RoId, TmId)
);
CREATE INDEX TeamsByMembers ON Teams (PlrId1, PlrId2, PlrId3);

CREATE TABLE Stocks (
    StId INTEGER PRIMARY KEY AUTOINCREMENT,
    CoId INTEGER,
    StBib TEXT COLLATE NOCASE,
    StName TEXT COLLATE NOCASE,
    StHomeTown TEXT COLLATE NOCASE,
    StWeight INTEGER,
    StAge INTEGER
);

CREATE TABLE Contractors (
    CoId INTEGER PRIMARY KEY AUTOINCREMENT,
    CoName TEXT COLLATE NOCASE
);

CREATE TABLE Messages (
    PlrId INTEGER,
    MsgNumber INTEGER,
    MsgLine1 TEXT,
    MsgLine2 TEXT,
    MsgLine3 TEXT,
    MsgLine4 TEXT,
    PRIMARY KEY (PlrId, MsgNumber)
);

CREATE TABLE Scores (
    RoId INTEGER,
    EvId TEXT,
    GoId INTEGER,
    ptId INTEGER,
    PlrEnt INTEGER,
    PerfId INTEGER,
    Ord INTEGER,
    StId INTEGER,
    JTot INTEGER,
    JR1 INTEGER,
    JR2 INTEGER,
    JR3 INTEGER,
    JR4 INTEGER,
    JS1 INTEGER,
    JS2 INTEGER,
    JS3 INTEGER,
    JS4 INTEGER,
    RideTime INTEGER,
    Status TEXT,
    Suc INTEGER,
    PRIMARY KEY (RoId, EvId, GoId, ptId, PlrEnt)
);
CREATE INDEX ScoresByCompetitor ON Scores (ptId);
CREATE INDEX ScoresByStock ON Scores (StId);

CREATE TABLE Times (
    RoId INTEGER,
    EvId TEXT,
    GoId INTEGER,
    ptId INTEGER,
    PlrEnt INTEGER,
    PerfId INTEGER,
    Ord INTEGER,
    StId INTEGER,
    RideTime INTEGER,
    PenTime INTEGER,
    Status TEXT,
    Suc INTEGER,
    PRIMARY KEY (RoId, EvId, GoId, ptId, PlrEnt)
);
CREATE INDEX TimesByCompetitor ON Times (ptId);

INSERT INTO Events (EvId, EvName, EvStandard, EvType, EvRanking) VALUES
    ('BB', 'Bareback', 'Y', 'SI', 0),
    ('BA', 'Break Away', 'Y', 'TI', 0),
    ('BF', 'Bull Fighting', 'Y', 'SI', 0),
    ('BU', 'Bull Riding', 'Y', 'SI', 0),
    ('GT', 'Goat Tying', 'Y', 'TI', 0),
    ('SB', 'Saddle Bronc', 'Y', 'SI', 0),
    ('SR', 'Steer Roping', 'Y', 'TI', 0),
    ('SW', 'Steer Wrestling', 'Y', 'TI', 0),
    ('TR', 'Team Roping', 'Y', 'TT', 0),
    ('TD', 'Tie Down Roping', 'Y', 'TI', 0),
    ('BR', 'Barrel Racing', 'Y', 'TI', 0);
