#!/usr/bin/env python3
"""terralog-sql killed (SIGKILL) amid big statements over a table of 360,448
rows: an UPDATE of every row, a DELETE of half, an INSERT ... SELECT and an
ALTER TABLE. After each kill the next opening must find the statement whole
or absent, a file that matches its header, and nothing left beside it.

    scripts/crash_sql.py TERRALOG_SQL [trials per statement]

Half the kills come at a random moment of the statement's run, half at a
random moment once it has begun writing (a journal or a new file exists).
"""
import os, random, shutil, signal, struct, subprocess, sys, tempfile, time

sql, trials = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 15


def run(text):
    out = subprocess.run([sql], input=text.encode("cp1250"), capture_output=True)
    if out.returncode != 0:
        raise SystemExit(f"{text}: {out.stderr.decode(errors='replace')}")
    return out.stdout.decode("cp1250")


def state(folder):
    t = f'"{folder}/T.DBF"'
    rows = run(f"SELECT Count(*) AS C, SUM(N) AS S, SUM(K) AS SK FROM {t}").splitlines()[1]
    fields = run(f"SELECT * FROM {t} WHERE K=-1").splitlines()[0]
    problems = [n for n in sorted(os.listdir(folder)) if n != "T.DBF"]
    data = open(os.path.join(folder, "T.DBF"), "rb").read()
    count, header, record = struct.unpack("<IHH", data[4:12])
    body = header + count * record
    if len(data) not in (body, body + 1):
        problems.append(f"size {len(data)}, the header says {body}")
    return rows, fields, tuple(problems)


work = tempfile.mkdtemp()
try:
    master = os.path.join(work, "master")
    os.mkdir(master)
    T = f'"{master}/T.DBF"'
    run(f"CREATE TABLE {T} (K DECIMAL(2,0), N DECIMAL(10,0), NAME CHAR(40))")
    for k in range(10):
        run(f'INSERT INTO {T} VALUES ({k}, {k * 7}, "RAND {k} AL UNEI TABLE DE PROBA")')
    for _ in range(15):
        run(f"INSERT INTO {T} (K, N, NAME) SELECT K, N + 1, NAME FROM {T}")
    run(f"INSERT INTO {T} (K, N, NAME) SELECT K, N, NAME FROM {T} WHERE K=0")

    statements = [
        "UPDATE {T} SET N=N+1",
        "DELETE FROM {T} WHERE K<5",
        "INSERT INTO {T} (K, N, NAME) SELECT K, N, NAME FROM {T} WHERE K=1",
        "ALTER TABLE {T} ADD EXTRA CHAR(10)",
    ]
    failures = 0
    folder = os.path.join(work, "run")
    for statement in statements:
        text = statement.replace("{T}", f'"{folder}/T.DBF"')
        shutil.rmtree(folder, ignore_errors=True)
        shutil.copytree(master, folder)
        before = state(folder)
        start = time.monotonic()
        run(text)
        span = time.monotonic() - start
        after = state(folder)
        assert before != after, statement
        killed = 0
        for trial in range(trials):
            shutil.rmtree(folder, ignore_errors=True)
            shutil.copytree(master, folder)
            child = subprocess.Popen([sql], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            child.stdin.write(text.encode())
            child.stdin.close()
            if trial % 2:
                deadline = time.monotonic() + random.uniform(0, span)
                while time.monotonic() < deadline and child.poll() is None:
                    time.sleep(0.0005)
            else:
                while child.poll() is None and os.listdir(folder) == ["T.DBF"]:
                    time.sleep(0.0002)
                time.sleep(random.uniform(0, 0.05))
            if child.poll() is None:
                child.send_signal(signal.SIGKILL)
                killed += 1
            child.wait()
            found = state(folder)
            if found not in (before, after):
                failures += 1
                print(f"FAILED: {statement}\n  found:  {found}\n  before: {before}\n  after:  {after}")
        print(f"{statement}: {trials} trials, {killed} killed midway (alone it takes {span * 1000:.0f} ms)")
    if failures:
        sys.exit(1)
    print("terralog-sql: every killed statement was whole or absent afterwards")
finally:
    shutil.rmtree(work, ignore_errors=True)
