#include "bench/BenchData.h"

#include "store/Encodings.h"
#include "store/SQLiteDatabase.h"
#include "store/Schema.h"

#include <QDate>
#include <QFile>
#include <random>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

namespace bench {

namespace {

// Prepared statements keep generation quick; the program itself never binds parameters.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement& Int(int index, qint64 value)
    {
        sqlite3_bind_int64(m_stmt, index, value);
        return *this;
    }
    Statement& Text(int index, const QByteArray& value)
    {
        if (value.isNull())
            sqlite3_bind_null(m_stmt, index);
        else
            sqlite3_bind_text(m_stmt, index, value.constData(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        return *this;
    }
    qint64 Run(sqlite3* db)
    {
        sqlite3_step(m_stmt);
        sqlite3_reset(m_stmt);
        return sqlite3_last_insert_rowid(db);
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

const char* const kPayees[] = {"Corner Grocery", "City Power", "Water Board", "Rent", "Fuel Stop", "Pharmacy",
                               "Book Shop", "Hardware Store", "Phone Company", "Insurance", "Cafe", "Cinema",
                               "Bakery", "Doctor", "Dentist", "School", "Gym", "Garage", "Market", "Florist"};
// The budget systems of the main file have twice as many parties as the account file: a household
// deals with some forty firms and people over ten years.
const char* const kMorePayees[] = {"Butcher", "Post Office", "Library", "Optician", "Vet", "Taxi",
                                   "Train Company", "Bus Company", "Toy Shop", "Shoe Shop", "Tailor", "Plumber",
                                   "Electrician", "Painter", "Car Wash", "Parking", "Museum", "Theatre", "Bank",
                                   "Employer"};
const char* const kItems[] = {"Food",      "Housing",  "Utilities", "Transport",     "Health",        "Clothing",
                              "Savings",   "Gifts",    "Holidays",  "Education",     "Fun",           "Repairs",
                              "Insurance", "Phone",    "Internet",  "Garden",        "Pets",          "Books",
                              "Sports",    "Charity",  "Taxes",     "Car Loan",      "Childcare",     "Hobbies",
                              "Furniture", "Computer", "Hair Care", "Subscriptions", "Emergency Fund"};
const char* const kNotes[] = {"", "", "", "weekly shop", "monthly", "paid by card", "refund expected",
                              "shared with Sam", "annual fee"};

} // namespace

void GenerateDataFile(const QString& path, int transactions, unsigned seed)
{
    QFile::remove(path);
    {
        TSQLiteDatabase db;
        db.SetFileName(path);
        db.Open();
        if (!db.IsOpen())
            throw std::runtime_error("cannot create the benchmark data file");
        schema::CreateDataSchema(db);
    }

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open the benchmark data file");
    sqlite3_exec(db, "PRAGMA synchronous = OFF; BEGIN", nullptr, nullptr, nullptr);
    std::mt19937 random(seed);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

    struct SystemRows
    {
        std::vector<qint64> accounts, items, parties;
        qint64 transferParty = 0;
    };
    std::vector<SystemRows> systems(2);
    {
        Statement system(db, "INSERT INTO BudgetSystems (Name, Pass) VALUES (?, NULL)");
        Statement account(db, "INSERT INTO Accounts (SystemID, Name, Age) VALUES (?, ?, 3)");
        Statement item(db, "INSERT INTO BudgetCategories (SystemID, Name) VALUES (?, ?)");
        Statement party(db, "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (?, ?, ?)");
        Statement rule(db, "INSERT INTO BudgetRules (SystemID, IsPercent, PercentOf, Value, FromBudgetCat, "
                           "IntoBudgetCat, AllAccounts, Priority, AllDeposits) VALUES (?, ?, 'Net Deposit', ?, 0, ?, "
                           "'t', ?, 't')");
        const char* const accountNames[] = {"Checking", "Savings", "Credit Card", "Cash"};
        for (int s = 0; s < 2; ++s) {
            const qint64 id = system.Text(1, s == 0 ? "Household" : "Small Business").Run(db);
            SystemRows& rows = systems[s];
            for (const char* name : accountNames)
                rows.accounts.push_back(account.Int(1, id).Text(2, name).Run(db));
            rows.items.push_back(item.Int(1, id).Text(2, "Unbudgeted").Run(db));
            for (const char* name : kItems)
                rows.items.push_back(item.Int(1, id).Text(2, name).Run(db));
            rows.transferParty = party.Int(1, id).Text(2, "Transfer").Text(3, "t").Run(db);
            for (const char* name : kPayees)
                rows.parties.push_back(party.Int(1, id).Text(2, name).Text(3, "f").Run(db));
            for (const char* name : kMorePayees)
                rows.parties.push_back(party.Int(1, id).Text(2, name).Text(3, "f").Run(db));
            rule.Int(1, id).Text(2, "t").Int(3, 10000).Int(4, rows.items[0]).Int(5, 0).Run(db);
            for (int r = 1; r < 6; ++r)
                rule.Int(1, id).Text(2, r % 2 ? "t" : "f").Int(3, r * 500).Int(4, rows.items[r]).Int(5, r).Run(db);
        }
    }

    Statement trans(db, "INSERT INTO Transactions (Passed, TransID, AccountID, Date, Amount, GrossAmount, "
                        "SecondPartyID, Notes) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    Statement link(db, "INSERT INTO TransTOTrans (TransID1, TransID2) VALUES (?, ?)");
    Statement allocation(db, "INSERT INTO NewBudgetTransactions (BudgetCatID, Amount, TransID, TransDate) "
                             "VALUES (?, ?, ?, ?)");
    const int lastDay = DateToDayNumber(QDate::currentDate());
    const int firstDay = lastDay - 3652;
    int written = 0;
    int checkNumber = 1000;
    while (written < transactions) {
        SystemRows& rows = systems[pick(8) == 0 ? 1 : 0];
        const int day = firstDay + static_cast<int>((qint64(written) * 3652) / std::max(1, transactions));
        const bool passed = day < lastDay - 30 || pick(2) == 0;
        const QByteArray note = kNotes[pick(std::size(kNotes))];
        const QByteArray noteValue = note.isEmpty() ? QByteArray() : note;
        if (written + 2 <= transactions && pick(12) == 0) {
            // A transfer: a debit in one account, the matching credit in another, and the link.
            const int from = pick(static_cast<int>(rows.accounts.size()));
            const int to = (from + 1 + pick(static_cast<int>(rows.accounts.size()) - 1)) %
                           static_cast<int>(rows.accounts.size());
            const int amount = 1000 + pick(200000);
            const qint64 out = trans.Text(1, passed ? "t" : "f").Text(2, QByteArray()).Int(3, rows.accounts[from])
                                   .Int(4, day).Int(5, -amount).Int(6, 0).Int(7, rows.transferParty)
                                   .Text(8, noteValue).Run(db);
            const qint64 in = trans.Text(1, passed ? "t" : "f").Text(2, QByteArray()).Int(3, rows.accounts[to])
                                  .Int(4, day).Int(5, amount).Int(6, 0).Int(7, rows.transferParty)
                                  .Text(8, noteValue).Run(db);
            link.Int(1, out).Int(2, in).Run(db);
            written += 2;
            continue;
        }
        const bool credit = pick(6) == 0;
        const int amount = credit ? 50000 + pick(400000) : 100 + pick(25000);
        const QByteArray id = !credit && pick(4) == 0 ? QByteArray::number(checkNumber++) : QByteArray();
        const qint64 row = trans.Text(1, passed ? "t" : "f").Text(2, id)
                               .Int(3, rows.accounts[pick(static_cast<int>(rows.accounts.size()))]).Int(4, day)
                               .Int(5, credit ? amount : -amount).Int(6, credit ? amount + amount / 5 : 0)
                               .Int(7, rows.parties[pick(static_cast<int>(rows.parties.size()))])
                               .Text(8, noteValue).Run(db);
        if (credit) {
            // A credit is divided among a few budget items; the rest stays unbudgeted.
            int left = amount;
            for (int k = 1; k <= 3; ++k) {
                const int share = amount / 10 * k / 2;
                allocation.Int(1, rows.items[k]).Int(2, share).Int(3, row).Int(4, day).Run(db);
                left -= share;
            }
            allocation.Int(1, rows.items[0]).Int(2, left).Int(3, row).Int(4, day).Run(db);
        } else {
            allocation.Int(1, rows.items[1 + pick(static_cast<int>(rows.items.size()) - 1)]).Int(2, -amount)
                .Int(3, row).Int(4, day).Run(db);
        }
        ++written;
    }
    // Money moved between budget items (no transaction, TransID 0) about every other week in each system,
    // from a generator of its own so that the transactions above stay as they were.
    std::mt19937 moves(seed + 1);
    for (SystemRows& rows : systems) {
        const int items = static_cast<int>(rows.items.size());
        for (int day = firstDay; day <= lastDay; day += 14) {
            const int from = static_cast<int>(moves() % static_cast<unsigned>(items));
            const int to = (from + 1 + static_cast<int>(moves() % static_cast<unsigned>(items - 1))) % items;
            const int amount = 500 + static_cast<int>(moves() % 20000u);
            allocation.Int(1, rows.items[from]).Int(2, -amount).Int(3, 0).Int(4, day).Run(db);
            allocation.Int(1, rows.items[to]).Int(2, amount).Int(3, 0).Int(4, day).Run(db);
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void GenerateAccountFile(const QString& path, int transactions, unsigned seed)
{
    QFile::remove(path);
    {
        TSQLiteDatabase db;
        db.SetFileName(path);
        db.Open();
        if (!db.IsOpen())
            throw std::runtime_error("cannot create the benchmark data file");
        schema::CreateDataSchema(db);
    }

    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open the benchmark data file");
    sqlite3_exec(db,
                 "PRAGMA synchronous = OFF; BEGIN;"
                 "INSERT INTO BudgetSystems (Name) VALUES ('Household');"
                 "INSERT INTO Accounts (SystemID, Name, ShowPassed, Age) VALUES (1, 'Checking', 't', 0);"
                 "INSERT INTO Accounts (SystemID, Name) VALUES (1, 'Savings');"
                 "INSERT INTO Accounts (SystemID, Name, ShowPassed, Age) VALUES (1, 'Empty', 't', 0);"
                 "INSERT INTO BudgetCategories (SystemID, Name) VALUES (1, 'Unbudgeted');"
                 "INSERT INTO Parties (SystemID, Name, Deleted) VALUES (1, 'Transfer', 't')",
                 nullptr, nullptr, nullptr);
    std::mt19937 random(seed);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::vector<qint64> parties;
    {
        Statement party(db, "INSERT INTO Parties (SystemID, Name) VALUES (1, ?)");
        for (const char* name : kPayees)
            parties.push_back(party.Text(1, name).Run(db));
    }
    Statement trans(db, "INSERT INTO Transactions (Passed, TransID, AccountID, Date, Amount, GrossAmount, "
                        "SecondPartyID, Notes) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    Statement link(db, "INSERT INTO TransTOTrans (TransID1, TransID2) VALUES (?, ?)");
    const int lastDay = DateToDayNumber(QDate::currentDate());
    const int firstDay = lastDay - 3652;
    int checkNumber = 1000;
    for (int written = 0; written < transactions; ++written) {
        const int day = firstDay + static_cast<int>((qint64(written) * 3652) / std::max(1, transactions));
        const bool passed = day < lastDay - 30 || pick(2) == 0;
        const QByteArray note = kNotes[pick(std::size(kNotes))];
        const QByteArray noteValue = note.isEmpty() ? QByteArray() : note;
        if (pick(12) == 0) {
            // A transfer between Checking and Savings; the other half stays in Savings.
            const bool out = pick(2) == 0;
            const int amount = 1000 + pick(200000);
            const qint64 here = trans.Text(1, passed ? "t" : "f")
                                    .Text(2, QByteArray())
                                    .Int(3, 1)
                                    .Int(4, day)
                                    .Int(5, out ? -amount : amount)
                                    .Int(6, 0)
                                    .Int(7, 1)
                                    .Text(8, noteValue)
                                    .Run(db);
            const qint64 there = trans.Text(1, passed ? "t" : "f")
                                     .Text(2, QByteArray())
                                     .Int(3, 2)
                                     .Int(4, day)
                                     .Int(5, out ? amount : -amount)
                                     .Int(6, 0)
                                     .Int(7, 1)
                                     .Text(8, noteValue)
                                     .Run(db);
            link.Int(1, out ? here : there).Int(2, out ? there : here).Run(db);
            continue;
        }
        // Credits are rare and large, debits small, as in a household's checking account.
        const bool credit = pick(6) == 0;
        const int amount = credit ? 50000 + pick(400000) : 100 + pick(25000);
        const QByteArray id = !credit && pick(4) == 0 ? QByteArray::number(checkNumber++) : QByteArray();
        trans.Text(1, passed ? "t" : "f")
            .Text(2, id)
            .Int(3, 1)
            .Int(4, day)
            .Int(5, credit ? amount : -amount)
            .Int(6, credit ? amount + amount / 5 : 0)
            .Int(7, parties[pick(static_cast<int>(parties.size()))])
            .Text(8, noteValue)
            .Run(db);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace bench
