"""The ufuncs against the tools' own tables, and the binding's own faults:
argument order, strides, broadcasting, out= and where=, refused input,
large arrays from two threads, and dask. One group a run, as CTest runs
them: PYTHONPATH=build/python python3 tests/python_test.py ufuncs (or
dask). The file route has the program orvane-quessel's table."""
import io
import logging
import os
import re
import sys
import threading
import unittest

import numpy as np

import orvane_quessel as oq

HERE = os.path.dirname(os.path.abspath(__file__))


def table(tool, folder):
    """The cases of a tool's table whose arguments are plain integers within
    64 bits (the rest try the programs' conversion of text), as an int64
    array of questions and a bool array of answers."""
    lines = open(os.path.join(HERE, "..", folder, tool + "_test.sh")).read()
    cases = [([int(a) for a in args.split()], answer == "1") for answer, args in
             re.findall(r"^check 0 '([01])\\n' '' ((?:-?\d+ )*-?\d+)(?: +#.*)?$", lines, re.M)]
    cases = [(q, a) for q, a in cases if all(-2**63 <= v < 2**63 for v in q)]
    return np.array([q for q, _ in cases]), np.array([a for _, a in cases])


TABLES = {oq.orvane: table("orvane", "approach"), oq.quessel: table("quessel", "radar")}


class Ufuncs(unittest.TestCase):
    def test_tables_in_every_layout(self):
        for ufunc, (asked, want) in TABLES.items():
            self.assertGreater(len(want), 20)
            self.assertEqual(ufunc(*asked.T).tolist(), want.tolist())
            wide = np.repeat(asked, 3, axis=0)[::-1]  # reversed, every third
            self.assertEqual(ufunc(*wide[::3].T).tolist(), want[::-1].tolist())
            self.assertEqual([ufunc(*q.tolist()) for q in asked], want.tolist())
            first, last = asked[0, :-1].tolist(), asked[:, -1]  # scalars and a column
            self.assertEqual(ufunc(*first, last).tolist(), [ufunc(*first, v) for v in last])
            columns = [np.ascontiguousarray(c) for c in asked.T]
            for given in (asked.T, columns):  # strided out=, from strided or contiguous columns
                out = np.repeat(~want, 2)[::2]
                self.assertIs(ufunc(*given, out=out), out)
                self.assertEqual(out.tolist(), want.tolist())
            out, mask = ~want, np.arange(len(want)) % 2 == 0
            self.assertIs(ufunc(*asked.T, out=out, where=mask), out)
            self.assertEqual(out.tolist(), np.where(mask, want, ~want).tolist())

    def test_module(self):
        self.assertEqual(oq.__version__, os.environ["ORVANE_QUESSEL_VERSION"])
        self.assertEqual(sorted(oq.__all__), ["calculate_euclidean_distance", "orvane", "quessel", "read"])
        for name in ("orvane", "quessel", "calculate_euclidean_distance"):
            ufunc = getattr(oq, name)
            self.assertIsInstance(ufunc, np.ufunc)
            self.assertIsNone(ufunc.identity)

    def test_large_arrays_from_two_threads(self):
        # Past numpy's buffer of 8192 elements, contiguous and strided, two
        # threads at once: a loop that kept state between calls would mix them.
        jobs = []
        for ufunc, (asked, want) in TABLES.items():
            times = -(-100003 // len(want))
            big, answers = np.tile(asked, (times, 1)), np.tile(want, times)
            jobs += [(ufunc, big.T.copy(), answers), (ufunc, big.T[:, ::-1], answers[::-1])]
        got = [None] * len(jobs)

        def run(i):
            for _ in range(3):
                got[i] = jobs[i][0](*jobs[i][1]).tolist()
        threads = [threading.Thread(target=run, args=(i,)) for i in range(len(jobs))]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertEqual(got, [answers.tolist() for _, _, answers in jobs])

    def test_distance(self):
        got = oq.calculate_euclidean_distance([0, 0, 0, 100000000], [0, 0, 0, 10000],
                                              [3, 3037000499, 3037000500, 0], [4, 0, 0, 0])
        self.assertEqual(got.dtype, np.int64)
        self.assertEqual(got.tolist(), [5, 3037000499, 2**63 - 1, 100000001])

    def test_refused_not_converted(self):
        for bad in (1.5, "5", 2**63, -2**63 - 1, np.array([1], np.uint64)):
            with self.assertRaises((TypeError, OverflowError)):
                oq.quessel(10, 10, 0, 0, 0, bad)

    def test_no_floating_point_warning(self):
        # Zero-length steps, defined as 0 / 0, and steps beyond 64 bits, as
        # the batch functions take them a vector at a time: no flag raised.
        rng = np.random.default_rng(1)
        edges = np.array([0, 1, -1, 2**30, -2**30, 2**62, -2**63, 2**63 - 1])
        asked = rng.choice(edges, size=(7, 10007))
        asked[2:4, ::2] = asked[0:2, ::2]
        with np.errstate(all="raise"):
            self.assertFalse(oq.orvane(3, 3, 3, 3, 0, 0, 100))
            oq.orvane(*asked)
            oq.quessel(*asked[:6])


class Read(unittest.TestCase):
    """read: the program's reader from Python, for every kind of file, whole
    and in chunks, and its messages as the program's."""

    def setUp(self):
        import tempfile
        self.folder = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.folder.name, "questions")

    def tearDown(self):
        self.folder.cleanup()

    def test_every_kind_of_file(self):
        import gzip
        import io
        for ufunc, (asked, want) in TABLES.items():
            text = "".join(" \t".join(map(str, q)) + "\n" for q in asked).encode()
            with open(self.path, "wb") as f:
                f.write(text)
            tool = ufunc.__name__
            kinds = {"path": self.path, "bytes": text, "memoryview": memoryview(text),
                     "binary file": io.BytesIO(text), "gzip file": gzip.GzipFile(fileobj=io.BytesIO(gzip.compress(text)))}
            for kind, file in kinds.items():
                columns = oq.read(tool, file)
                self.assertEqual(len(columns), ufunc.nin, kind)
                self.assertTrue(all(c.dtype == np.int64 for c in columns), kind)
                self.assertEqual(ufunc(*columns).tolist(), want.tolist(), kind)
            for size in (1, 7, len(want)):
                tuples = list(oq.read(tool, text, chunk=size))
                self.assertEqual([len(t[0]) for t in tuples],
                                 [min(size, len(want) - i) for i in range(0, len(want), size)])
                self.assertEqual(np.concatenate([ufunc(*t) for t in tuples]).tolist(), want.tolist())
            self.assertEqual([len(c) for c in oq.read(tool, b"")], [0] * ufunc.nin)

    def test_messages_as_the_program_says_them(self):
        import gzip
        with open(self.path, "wb") as f:
            f.write(b"10 10 0 0 0 90\n10 10 0 0 0\n")
        bad = [(self.path, {}, f"{self.path}:2: 5 numbers, but quessel takes 6"),
               (b"1 2 3 4 5 6\n\n", {"first_line": 41}, "<bytes>:42: a blank line, where a question must be"),
               (gzip.compress(b"1 2 3 4 5 6\n"), {}, "<bytes>: compressed with gzip, not questions; read it through gzip.open(FILE)")]
        for file, options, message in bad:
            with self.assertRaises(ValueError) as caught:
                oq.read("quessel", file, **options)
            self.assertEqual(str(caught.exception), message)
        with self.assertRaises(ValueError):
            list(oq.read("quessel", self.path, chunk=1))
        for tool, file, options, error in (("radar", b"", {}, ValueError), ("quessel", b"", {"chunk": 0}, ValueError),
                                           ("quessel", b"", {"first_line": 0}, ValueError),
                                           ("quessel", b"", {"first_line": -1}, ValueError),
                                           ("quessel", b"", {"first_line": 2**64}, ValueError),
                                           ("quessel", b"", {"first_line": "2"}, TypeError),
                                           ("quessel", 3, {}, TypeError), ("quessel", self.path + "x", {}, OSError)):
            with self.assertRaises(error):
                oq.read(tool, file, **options)
        with open(self.path) as text, self.assertRaises(TypeError):
            oq.read("quessel", text)

    def test_file_objects_that_misreport(self):
        line = b"10 10 0 0 0 90\n"

        def giving(count):
            class File:
                def readinto(self, into):
                    into[:len(line)] = line
                    return count(len(into))
            return File()

        class Longer:
            def read(self, size):
                return line * (size // len(line) + 1)
        for name, file in (("past the buffer", giving(lambda size: size + 100)), ("a gigabyte", giving(lambda size: 1 << 30)),
                           ("-1", giving(lambda size: -1)), ("-7", giving(lambda size: -7)),
                           ("None", giving(lambda size: None)), ("more than asked", Longer())):
            with self.assertRaises(ValueError, msg=name):
                oq.read("quessel", file)
        # Its edge: a read that fills the buffer exactly is no fault.
        data = line * 300000

        class ReadOnly:
            read = io.BytesIO(data).read
        self.assertEqual(len(oq.read("quessel", ReadOnly())[0]), 300000)

    def test_one_iterator_on_two_threads(self):
        it = oq.read("quessel", b"10 10 0 0 0 90\n" * 1000000, chunk=1000)
        counts, errors = [], []

        def drain():
            try:
                for columns in it:
                    counts.append(len(columns[0]))
            except ValueError as e:
                errors.append(str(e))
        threads = [threading.Thread(target=drain) for _ in range(3)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.assertEqual(sum(counts), 1000000)
        self.assertTrue(all("another thread" in e for e in errors), errors)

    def test_a_first_line_past_1_has_no_byte_order_mark(self):
        for first, mark in ((1, "a UTF-8 byte-order mark starts the file"), (5, "'\\xef\\xbb\\xbf10' is not a decimal integer")):
            for blanks in (1, 3 << 20):
                with self.assertRaises(ValueError) as caught:
                    oq.read("quessel", b"\xef\xbb\xbf10" + b" " * blanks + b"10 0 0 0 90\n", first_line=first)
                self.assertIn(mark, str(caught.exception), (first, blanks))

    def test_the_route_imports_no_numpy(self):
        import subprocess
        code = "import sys, orvane_quessel.__main__; sys.exit('numpy' in sys.modules)"
        self.assertEqual(subprocess.run([sys.executable, "-c", code]).returncode, 0)


class Layouts(unittest.TestCase):
    """Every mix of layouts numpy hands a loop: scalars broadcast, contiguous,
    strided, reversed and zero-stride columns, and outputs likewise, with or
    without where=, each answering as the one-question call does."""

    def test_every_mix(self):
        from hypothesis import given, settings, strategies as st
        edges = [0, 1, -1, 2**63 - 1, -2**63, 2**30, -2**30 - 1, 3037000500,
                 45, 90, 180, -180, 360, 540, 720]
        value = st.one_of(st.sampled_from(edges), st.integers(-1000, 1000),
                          st.integers(-2**63, 2**63 - 1))

        def laid_out(values, layout, step):
            if layout == "scalar":
                return values[0]
            if layout == "length one":
                return np.array(values[:1])
            if layout == "zero-stride":
                return np.broadcast_to(np.int64(values[0]), (len(values),))
            wide = np.zeros(len(values) * step + 1, np.int64)
            wide[1::step][:len(values)] = values
            if layout == "reversed":
                return wide[1::step][:len(values)][::-1].copy()[::-1]
            return wide[1::step][:len(values)] if layout == "strided" else np.array(values)

        layouts = st.sampled_from(["scalar", "length one", "zero-stride", "contiguous", "strided", "reversed"])

        @settings(max_examples=150, deadline=None, derandomize=True)
        @given(st.data())
        def mix(data):
            ufunc = data.draw(st.sampled_from([oq.orvane, oq.quessel, oq.calculate_euclidean_distance]))
            n = data.draw(st.integers(1, 600))
            args, plain = [], []
            for _ in range(ufunc.nin):
                layout = data.draw(layouts)
                count = 1 if layout in ("scalar", "length one", "zero-stride") else n
                values = data.draw(st.lists(value, min_size=count, max_size=count))
                args.append(laid_out(values, layout, data.draw(st.integers(2, 3))))
                plain.append(values * n if count == 1 else values)
            size = np.broadcast(*args).size  # n, or 1 where no column is longer
            want = np.array([ufunc(*(int(v[i]) for v in plain)) for i in range(size)])
            out = data.draw(st.sampled_from([None, "contiguous", "strided", "reversed"]))
            where = data.draw(st.sampled_from([None, "alternate"]))
            kwargs = {}
            if out:
                buffer = np.zeros(2 * len(want), want.dtype)
                kwargs["out"] = {"contiguous": buffer[:len(want)], "strided": buffer[::2],
                                 "reversed": buffer[len(want) - 1::-1]}[out]
            if where:
                kwargs["where"] = np.arange(len(want)) % 2 == 0
            got = ufunc(*args, **kwargs)
            if where:
                want = np.where(kwargs["where"], want, 0)
                got = np.where(kwargs["where"], got, 0)
            self.assertEqual(np.atleast_1d(got).tolist(), want.tolist())

        mix()


class Dask(unittest.TestCase):
    def test_threads_and_a_cluster(self):
        import dask.array as da
        from distributed import Client, LocalCluster
        lazy = [(ufunc(*(da.from_array(c, chunks=7) for c in asked.T)), want)
                for ufunc, (asked, want) in TABLES.items()]
        for answers, want in lazy:
            self.assertEqual(answers.compute(scheduler="threads").tolist(), want.tolist())
        with LocalCluster(n_workers=2, threads_per_worker=1, host="127.0.0.1",
                          dashboard_address=None, silence_logs=logging.ERROR) as cluster, \
                Client(cluster):
            for answers, want in lazy:
                self.assertEqual(answers.compute().tolist(), want.tolist())


if __name__ == "__main__":
    group = {"ufuncs": Ufuncs, "read": Read, "layouts": Layouts, "dask": Dask}[sys.argv[1]]
    if group is Layouts:
        try:
            import hypothesis  # noqa: F401
        except ImportError:
            print("skipped: no hypothesis (Debian: python3-hypothesis)")
            sys.exit(77)
    if group is Dask:
        try:
            import dask.array, distributed  # noqa: F401
        except ImportError:
            print("skipped: no dask (Debian: python3-dask, python3-distributed)")
            sys.exit(77)
    suite = unittest.defaultTestLoader.loadTestsFromTestCase(group)
    sys.exit(not unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful())
