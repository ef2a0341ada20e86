import unittest

from phoneserver import records


class RecordText(unittest.TestCase):
    def test_writes_handle_key_and_sorted_escaped_names(self):
        r = records.Record([("b", "x=y"), ("A", "1")], handle=5, key="abc")
        self.assertEqual(records.record_to_text(r), b"#Handle=5\n#Key=abc\nA=1\nb=x\\x3dy\n")

    def test_escapes_round_trip_every_byte(self):
        value = bytes(range(256))
        r = records.Record([("v", value)])
        text = records.record_to_text(r)
        self.assertNotIn(b"\r", text)
        self.assertEqual(text.count(b"\n"), 1)
        self.assertEqual(records.text_to_record(text)["v"], value)

    def test_reading_rules(self):
        cases = [
            (b"Name = Value\n", {"Name ": " Value"}),
            (b"k=a=b\n", {"k": "a=b"}),
            (b"#Comment\n// note\n\n#handle=7\n", {}),
            (b"zeta=1\nAlpha=2\n", {"Alpha": "2", "zeta": "1"}),
            (b"p=C:\\\\temp\r\n", {"p": "C:\\temp"}),
        ]
        for text, want in cases:
            with self.subTest(text=text):
                self.assertEqual(records.text_to_record(text).as_dict(), want)
        self.assertEqual(records.text_to_record(b"#handle=7\n").handle, 7)
        self.assertEqual([n for n, _, _ in records.text_to_record(b"zeta=1\nAlpha=2\n").items], [b"Alpha", b"zeta"])

    def test_binary_value(self):
        r = records.Record()
        r.set("name", b"\x00\xff", binary=True)
        self.assertEqual(records.record_to_text(r), b"name=={{AP8=}}\n")
        back = records.text_to_record(b"name=={{AP8=}}\n")
        self.assertEqual(back.items, [(b"name", b"\x00\xff", True)])

    def test_list_text(self):
        recs = [records.Record([("a", "1")]), records.Record([("b", "2")])]
        text = records.list_to_text(recs)
        self.assertEqual(text, b"[#0]\na=1\n\n[#1]\nb=2\n\n")
        back = records.text_to_list(text)
        self.assertEqual([r.as_dict() for r in back], [{"a": "1"}, {"b": "2"}])


if __name__ == "__main__":
    unittest.main()
