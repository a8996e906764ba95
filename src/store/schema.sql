-- The empty database shipped beside the program. The program never creates or alters tables;
-- it only appends, reads and deletes rows, so every column it touches must be here.
-- Date-times are TEXT "YYYY-MM-DD HH:MM:SS.SSS" (local time), which sorts and compares in time
-- order; '1899-12-30 00:00:00.000' is the zero value the time-window filters leave out.

-- WAL lets the views read while the download threads append.
PRAGMA journal_mode=WAL;

CREATE TABLE ShopList (
    SID               TEXT    DEFAULT '',
    OwnerID           TEXT    DEFAULT '',
    ShopURL           TEXT    DEFAULT '',
    WWName            TEXT    DEFAULT '',
    Seller_Credit     INTEGER DEFAULT 0,
    Buyer_Credit      INTEGER DEFAULT 0,
    Seller_Rate       TEXT    DEFAULT '',
    Buyer_Rate        TEXT    DEFAULT '',
    Grade_Item        TEXT    DEFAULT '',
    Grade_Service     TEXT    DEFAULT '',
    Grade_Consignment TEXT    DEFAULT '',
    ItemCount         INTEGER DEFAULT 0,
    ShopCreate        TEXT    DEFAULT '',
    City              TEXT    DEFAULT '',
    FavoriteCount     INTEGER DEFAULT 0,
    AddTime           TEXT    DEFAULT '1899-12-30 00:00:00.000',
    ReadType          INTEGER DEFAULT 0
);

CREATE TABLE ItemList (
    sid            TEXT    DEFAULT '',
    ItemID         TEXT    DEFAULT '',
    title          TEXT    DEFAULT '',
    price          REAL    DEFAULT 0,
    BuyerCount     INTEGER DEFAULT 0,
    sellcount      INTEGER DEFAULT 0,
    SellAmount     REAL    DEFAULT 0,
    Commentcount   INTEGER DEFAULT 0,
    pv             INTEGER DEFAULT 0,
    allow_quantity INTEGER DEFAULT 0,
    UpdateTime     TEXT    DEFAULT '1899-12-30 00:00:00.000',
    lastSell       TEXT    DEFAULT '1899-12-30 00:00:00.000',
    lastComment    TEXT    DEFAULT '1899-12-30 00:00:00.000'
);

CREATE TABLE BuyerList (
    sid              TEXT    DEFAULT '',
    itemid           TEXT    DEFAULT '',
    Buyer            TEXT    DEFAULT '',
    usertype         INTEGER DEFAULT 0,
    buyer_credit     TEXT    DEFAULT '',
    buyer_credit_str TEXT    DEFAULT '',
    userclass        TEXT    DEFAULT '',
    price            REAL    DEFAULT 0,
    amount           INTEGER DEFAULT 0,
    buytime          TEXT    DEFAULT '1899-12-30 00:00:00.000',
    sku              TEXT    DEFAULT '',
    sellamount       REAL    DEFAULT 0,
    AddTime          TEXT    DEFAULT '1899-12-30 00:00:00.000'
);

CREATE TABLE RateList (
    sid             TEXT    DEFAULT '',
    itemid          TEXT    DEFAULT '',
    rateContent     TEXT    DEFAULT '',
    userVipLevel    INTEGER DEFAULT 0,
    displayUserNick TEXT    DEFAULT '',
    CommentID       TEXT    DEFAULT '',
    displayRatePic  TEXT    DEFAULT '',
    rateDate        TEXT    DEFAULT '1899-12-30 00:00:00.000',
    User_RateSum    INTEGER DEFAULT 0,
    AddTime         TEXT    DEFAULT '1899-12-30 00:00:00.000'
);

-- Nothing writes or reads these rows; start-up only checks that the table is there.
CREATE TABLE Items (
    SID             TEXT    DEFAULT '',
    rateType        INTEGER DEFAULT 0,
    rateTypeName    TEXT    DEFAULT '',
    rate_content    TEXT    DEFAULT '',
    rate_Time       TEXT    DEFAULT '1899-12-30 00:00:00.000',
    rate_Time_Year  INTEGER DEFAULT 0,
    rate_Time_Month TEXT    DEFAULT '',
    rate_Time_Day   TEXT    DEFAULT '1899-12-30 00:00:00.000',
    Buyer           TEXT    DEFAULT '',
    ItemID          TEXT    DEFAULT '',
    ItemName        TEXT    DEFAULT '',
    Price           REAL    DEFAULT 0
);

-- How far each run can be trusted, written when the run ends. Files made before it keep
-- working without it: the program never creates it, and then shows no health.
CREATE TABLE RunHealth (
    sid               TEXT    DEFAULT '',
    verdict           TEXT    DEFAULT '',
    started           TEXT    DEFAULT '1899-12-30 00:00:00.000',
    ended             TEXT    DEFAULT '1899-12-30 00:00:00.000',
    requests          INTEGER DEFAULT 0,
    httpErrors        INTEGER DEFAULT 0,
    networkErrors     INTEGER DEFAULT 0,
    timeouts          INTEGER DEFAULT 0,
    tooLarge          INTEGER DEFAULT 0,
    loginPages        INTEGER DEFAULT 0,
    verificationPages INTEGER DEFAULT 0,
    shapeless         INTEGER DEFAULT 0,
    failedCard        INTEGER DEFAULT 0,
    failedListing     INTEGER DEFAULT 0,
    failedItem        INTEGER DEFAULT 0,
    failedSold        INTEGER DEFAULT 0,
    failedViews       INTEGER DEFAULT 0,
    failedDeals       INTEGER DEFAULT 0,
    failedReviews     INTEGER DEFAULT 0,
    detail            TEXT    DEFAULT '',
    blockedAtRequest  INTEGER DEFAULT 0,
    blockedAt         TEXT    DEFAULT '1899-12-30 00:00:00.000',
    stoppedEarly      INTEGER DEFAULT 0,
    reasons           TEXT    DEFAULT ''
);

-- Run keys are start times to the millisecond, and several programs can start in the same one.
-- Each run claims its key here before its first request; the primary key lets only one claim
-- through and the loser moves on to the next millisecond.
CREATE TABLE RunKeys (
    SID       TEXT PRIMARY KEY,
    ClaimedAt TEXT NOT NULL
);

-- What each run read of the shop: written "running" when the run begins and completed when it
-- ends, so a run that never ended says so. Files made before it keep working without it (and
-- without ItemReads): the program never creates them, and then takes every run as complete.
CREATE TABLE RunOutcome (
    sid           TEXT    DEFAULT '',
    outcome       TEXT    DEFAULT '',
    started       TEXT    DEFAULT '1899-12-30 00:00:00.000',
    ended         TEXT    DEFAULT '1899-12-30 00:00:00.000',
    listPages     INTEGER DEFAULT 0,
    listPagesRead INTEGER DEFAULT 0,
    listComplete  INTEGER DEFAULT 0,
    itemsListed   INTEGER DEFAULT 0,
    itemsQueued   INTEGER DEFAULT 0,
    itemsRead     INTEGER DEFAULT 0,
    itemsNotRead  INTEGER DEFAULT 0,
    ratePauses    INTEGER DEFAULT 0,
    ratePausedMs  INTEGER DEFAULT 0,
    detail        TEXT    DEFAULT ''
);

-- Each queued item's read state: whether its ItemList row holds the marketplace's figures or
-- the zeros of an item that failed, was blocked or never started.
CREATE TABLE ItemReads (
    sid    TEXT    DEFAULT '',
    seq    INTEGER DEFAULT 0,
    ItemID TEXT    DEFAULT '',
    state  TEXT    DEFAULT '',
    answer TEXT    DEFAULT ''
);

-- The tree lists runs newest first; the views filter a run's rows and sort them by time.
CREATE INDEX ShopList_AddTime ON ShopList (AddTime);
CREATE INDEX ItemList_sid ON ItemList (sid);
CREATE INDEX BuyerList_sid_itemid_buytime ON BuyerList (sid, itemid, buytime);
CREATE INDEX RateList_sid_itemid_rateDate ON RateList (sid, itemid, rateDate);
CREATE INDEX RunHealth_sid ON RunHealth (sid);
CREATE INDEX RunOutcome_sid ON RunOutcome (sid);
CREATE INDEX ItemReads_sid_seq ON ItemReads (sid, seq);

-- watch tables: begin
-- Watched shops, their leases, their alerts and where alerts are sent. Files made before them
-- keep working without them; `tarnwick-cli init-db --watch-tables FILE` adds them.
CREATE TABLE Watches (
    WatchID      INTEGER PRIMARY KEY,
    WWName       TEXT    NOT NULL UNIQUE,
    Schedule     TEXT    DEFAULT '1d',
    Threads      INTEGER DEFAULT 6,
    MaxRate      REAL    DEFAULT 0,
    DelayMs      INTEGER DEFAULT 0,
    PriceChange  REAL    DEFAULT 10,
    PriceDown    INTEGER DEFAULT 1,
    PriceUp      INTEGER DEFAULT 1,
    NewItems     INTEGER DEFAULT 1,
    RemovedItems INTEGER DEFAULT 1,
    Stock        INTEGER DEFAULT 1,
    SalesJump    INTEGER DEFAULT 20,
    Created      TEXT    DEFAULT '1899-12-30 00:00:00.000',
    LastStarted  TEXT    DEFAULT '1899-12-30 00:00:00.000',
    LastFinished TEXT    DEFAULT '1899-12-30 00:00:00.000',
    LastOutcome  TEXT    DEFAULT '',
    LastSID      TEXT    DEFAULT '',
    BaselineSID  TEXT    DEFAULT '',
    Failures     INTEGER DEFAULT 0
);
-- A watch a runner is analysing, until its lease expires.
CREATE TABLE WatchLeases (
    WatchID INTEGER PRIMARY KEY,
    Holder  TEXT    DEFAULT '',
    Expires TEXT    DEFAULT '1899-12-30 00:00:00.000'
);
CREATE TABLE WatchAlerts (
    AlertID     INTEGER PRIMARY KEY,
    AddTime     TEXT    DEFAULT '1899-12-30 00:00:00.000',
    WatchID     INTEGER DEFAULT 0,
    WWName      TEXT    DEFAULT '',
    OlderSID    TEXT    DEFAULT '',
    NewerSID    TEXT    DEFAULT '',
    ItemID      TEXT    DEFAULT '',
    Title       TEXT    DEFAULT '',
    Kind        TEXT    DEFAULT '',
    BeforeValue TEXT    DEFAULT '',
    AfterValue  TEXT    DEFAULT '',
    Text        TEXT    DEFAULT '',
    SentTo      TEXT    DEFAULT '',
    SendFailure TEXT    DEFAULT '',
    Pending     INTEGER DEFAULT 0,
    IsRead      INTEGER DEFAULT 0
);
CREATE INDEX WatchAlerts_AddTime ON WatchAlerts (AddTime);
CREATE INDEX WatchAlerts_Pending ON WatchAlerts (Pending);
CREATE TABLE NotifyChannels (
    ChannelID INTEGER PRIMARY KEY,
    Kind      TEXT    DEFAULT '',
    Address   TEXT    DEFAULT '',
    Style     TEXT    DEFAULT 'json',
    MailTo    TEXT    DEFAULT '',
    MailFrom  TEXT    DEFAULT '',
    Password  TEXT    DEFAULT '',
    Plain     INTEGER DEFAULT 0,
    AddTime   TEXT    DEFAULT '1899-12-30 00:00:00.000'
);
-- watch tables: end
