-- The tables of a team's shared store on a PostgreSQL server, created once by
-- "tarnwick-cli init-db postgresql://..." in an empty database. The program never creates or
-- alters them otherwise; it appends, reads and deletes rows. The columns are those of the
-- file's tables; unquoted names fold to lower case and are read back without regard to case.
-- Date-times are local time without a zone; 1899-12-30 00:00 is the zero value, a real value
-- that the time-window filters leave out.

CREATE TABLE ShopList (
    SID               text             DEFAULT '',
    OwnerID           text             DEFAULT '',
    ShopURL           text             DEFAULT '',
    WWName            text             DEFAULT '',
    Seller_Credit     integer          DEFAULT 0,
    Buyer_Credit      integer          DEFAULT 0,
    Seller_Rate       text             DEFAULT '',
    Buyer_Rate        text             DEFAULT '',
    Grade_Item        text             DEFAULT '',
    Grade_Service     text             DEFAULT '',
    Grade_Consignment text             DEFAULT '',
    ItemCount         integer          DEFAULT 0,
    ShopCreate        text             DEFAULT '',
    City              text             DEFAULT '',
    FavoriteCount     integer          DEFAULT 0,
    AddTime           timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    ReadType          integer          DEFAULT 0
);

CREATE TABLE ItemList (
    sid            text             DEFAULT '',
    ItemID         text             DEFAULT '',
    title          text             DEFAULT '',
    price          double precision DEFAULT 0,
    BuyerCount     integer          DEFAULT 0,
    sellcount      integer          DEFAULT 0,
    SellAmount     double precision DEFAULT 0,
    Commentcount   integer          DEFAULT 0,
    pv             integer          DEFAULT 0,
    allow_quantity integer          DEFAULT 0,
    UpdateTime     timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    lastSell       timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    lastComment    timestamp without time zone DEFAULT '1899-12-30 00:00:00'
);

CREATE TABLE BuyerList (
    sid              text             DEFAULT '',
    itemid           text             DEFAULT '',
    Buyer            text             DEFAULT '',
    usertype         integer          DEFAULT 0,
    buyer_credit     text             DEFAULT '',
    buyer_credit_str text             DEFAULT '',
    userclass        text             DEFAULT '',
    price            double precision DEFAULT 0,
    amount           integer          DEFAULT 0,
    buytime          timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    sku              text             DEFAULT '',
    sellamount       double precision DEFAULT 0,
    AddTime          timestamp without time zone DEFAULT '1899-12-30 00:00:00'
);

CREATE TABLE RateList (
    sid             text             DEFAULT '',
    itemid          text             DEFAULT '',
    rateContent     text             DEFAULT '',
    userVipLevel    integer          DEFAULT 0,
    displayUserNick text             DEFAULT '',
    CommentID       text             DEFAULT '',
    displayRatePic  text             DEFAULT '',
    rateDate        timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    User_RateSum    integer          DEFAULT 0,
    AddTime         timestamp without time zone DEFAULT '1899-12-30 00:00:00'
);

-- Nothing writes or reads these rows; start-up only checks that the table is there.
CREATE TABLE Items (
    SID             text             DEFAULT '',
    rateType        integer          DEFAULT 0,
    rateTypeName    text             DEFAULT '',
    rate_content    text             DEFAULT '',
    rate_Time       timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    rate_Time_Year  integer          DEFAULT 0,
    rate_Time_Month text             DEFAULT '',
    rate_Time_Day   timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    Buyer           text             DEFAULT '',
    ItemID          text             DEFAULT '',
    ItemName        text             DEFAULT '',
    Price           double precision DEFAULT 0
);

-- Run keys are start times to the millisecond, and programs on two machines can start in the
-- same one. Each run claims its key here first; the primary key lets only one claim through
-- and the loser moves on to the next millisecond.
CREATE TABLE RunKeys (
    SID       text PRIMARY KEY,
    ClaimedAt timestamp without time zone NOT NULL
);

-- How far each run can be trusted, written when the run ends. A store set up before it keeps
-- working without it: the program never creates it, and then shows no health.
CREATE TABLE RunHealth (
    sid               text    DEFAULT '',
    verdict           text    DEFAULT '',
    started           timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    ended             timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    requests          integer DEFAULT 0,
    httpErrors        integer DEFAULT 0,
    networkErrors     integer DEFAULT 0,
    timeouts          integer DEFAULT 0,
    tooLarge          integer DEFAULT 0,
    loginPages        integer DEFAULT 0,
    verificationPages integer DEFAULT 0,
    shapeless         integer DEFAULT 0,
    failedCard        integer DEFAULT 0,
    failedListing     integer DEFAULT 0,
    failedItem        integer DEFAULT 0,
    failedSold        integer DEFAULT 0,
    failedViews       integer DEFAULT 0,
    failedDeals       integer DEFAULT 0,
    failedReviews     integer DEFAULT 0,
    detail            text    DEFAULT '',
    blockedAtRequest  integer DEFAULT 0,
    blockedAt         timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    stoppedEarly      integer DEFAULT 0,
    reasons           text    DEFAULT ''
);

-- What each run read of the shop: written "running" when the run begins and completed when it
-- ends, so a run that never ended says so. A store set up before it keeps working without it
-- (and without ItemReads): the program never creates them, and then takes every run as
-- complete.
CREATE TABLE RunOutcome (
    sid           text    DEFAULT '',
    outcome       text    DEFAULT '',
    started       timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    ended         timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    listPages     integer DEFAULT 0,
    listPagesRead integer DEFAULT 0,
    listComplete  integer DEFAULT 0,
    itemsListed   integer DEFAULT 0,
    itemsQueued   integer DEFAULT 0,
    itemsRead     integer DEFAULT 0,
    itemsNotRead  integer DEFAULT 0,
    ratePauses    integer DEFAULT 0,
    ratePausedMs  integer DEFAULT 0,
    detail        text    DEFAULT ''
);

-- Each queued item's read state: whether its ItemList row holds the marketplace's figures or
-- the zeros of an item that failed, was blocked or never started.
CREATE TABLE ItemReads (
    sid    text    DEFAULT '',
    seq    integer DEFAULT 0,
    ItemID text    DEFAULT '',
    state  text    DEFAULT '',
    answer text    DEFAULT ''
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
-- Watched shops, their leases, their alerts and where alerts are sent. A store set up before
-- them keeps working without them; `tarnwick-cli init-db --watch-tables ADDRESS` adds them.
CREATE TABLE Watches (
    WatchID      integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    WWName       text    NOT NULL UNIQUE,
    Schedule     text    DEFAULT '1d',
    Threads      integer DEFAULT 6,
    MaxRate      double precision DEFAULT 0,
    DelayMs      integer DEFAULT 0,
    PriceChange  double precision DEFAULT 10,
    PriceDown    integer DEFAULT 1,
    PriceUp      integer DEFAULT 1,
    NewItems     integer DEFAULT 1,
    RemovedItems integer DEFAULT 1,
    Stock        integer DEFAULT 1,
    SalesJump    integer DEFAULT 20,
    Created      timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    LastStarted  timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    LastFinished timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    LastOutcome  text    DEFAULT '',
    LastSID      text    DEFAULT '',
    BaselineSID  text    DEFAULT '',
    Failures     integer DEFAULT 0
);
-- A watch a runner is analysing, until its lease expires.
CREATE TABLE WatchLeases (
    WatchID integer PRIMARY KEY,
    Holder  text    DEFAULT '',
    Expires timestamp without time zone DEFAULT '1899-12-30 00:00:00'
);
CREATE TABLE WatchAlerts (
    AlertID     integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    AddTime     timestamp without time zone DEFAULT '1899-12-30 00:00:00',
    WatchID     integer DEFAULT 0,
    WWName      text    DEFAULT '',
    OlderSID    text    DEFAULT '',
    NewerSID    text    DEFAULT '',
    ItemID      text    DEFAULT '',
    Title       text    DEFAULT '',
    Kind        text    DEFAULT '',
    BeforeValue text    DEFAULT '',
    AfterValue  text    DEFAULT '',
    Text        text    DEFAULT '',
    SentTo      text    DEFAULT '',
    SendFailure text    DEFAULT '',
    Pending     integer DEFAULT 0,
    IsRead      integer DEFAULT 0
);
CREATE INDEX WatchAlerts_AddTime ON WatchAlerts (AddTime);
CREATE INDEX WatchAlerts_Pending ON WatchAlerts (Pending);
CREATE TABLE NotifyChannels (
    ChannelID integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    Kind      text    DEFAULT '',
    Address   text    DEFAULT '',
    Style     text    DEFAULT 'json',
    MailTo    text    DEFAULT '',
    MailFrom  text    DEFAULT '',
    Password  text    DEFAULT '',
    Plain     integer DEFAULT 0,
    AddTime   timestamp without time zone DEFAULT '1899-12-30 00:00:00'
);
-- watch tables: end
