"""Fails when two texts shown at once share an access key in a language ("&S" on two buttons of
one page): Alt with that letter could reach only one of them.
Usage: check_access_keys.py REPO_ROOT
"""
import pathlib
import sys

# Texts shown at once, by the starts of their keys: the menu, each page of Settings with the
# dialog's buttons, the History window.
SHOWN_TOGETHER = [
    ("menu.",),
    ("settings.adapters.", "settings.cancel", "settings.ok"),
    ("settings.display.", "settings.cancel", "settings.ok"),
    ("settings.information.", "settings.quota.", "settings.cancel", "settings.ok"),
    ("settings.logs.", "settings.cancel", "settings.ok"),
    ("settings.general.", "settings.cancel", "settings.ok"),
    ("history.",),
]


def access_key(text):
    """The letter after a single "&", as Alt takes it (either case); None without one."""
    at = 0
    while (at := text.find("&", at)) != -1 and at + 1 < len(text):
        if text[at + 1] != "&":
            return text[at + 1].lower()
        at += 2
    return None


def main(root):
    lang = pathlib.Path(root) / "res" / "lang"
    sys.path.insert(0, str(pathlib.Path(root) / "cmake"))
    import embed_texts

    _, english = embed_texts.parse(lang / "en.txt")
    faults = []
    for code, _ in embed_texts.language_list(lang / "languages.txt"):
        texts = {key: text for _, key, text in english}
        texts.update((key, text) for _, key, text in embed_texts.parse(lang / f"{code}.txt")[1])
        for starts in SHOWN_TOGETHER:
            owner = {}
            for key, text in texts.items():
                letter = access_key(text) if key.startswith(starts) else None
                if letter and letter in owner:
                    faults.append(f"{code}.txt: {key} and {owner[letter]} share &{letter}")
                owner.setdefault(letter, key)
    print("\n".join(faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
