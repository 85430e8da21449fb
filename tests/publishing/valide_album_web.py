#!/usr/bin/env python3
"""Checks generated web albums with real parsers.

Usage: valide_album_web.py ATTENDUS.json

The JSON file lists the album folders ("albums") and the single-image pages to open
("pages": page path, image name, legend). Every .htm file of every album must parse without
a single error under html5lib's strict parser. Each single-image page, opened in headless
Chromium with the image's name after the "?", must show that image and its legend as text,
with no element other than those the page's script writes.
"""

import html5lib
import json
import os
import subprocess
import sys
import urllib.parse

# What the single-image page is made of, its script's writing included.
ELEMENTS_ATTENDUS = {"html", "head", "body", "meta", "title", "font", "script",
                     "table", "tbody", "tr", "td", "a", "img", "br"}
NS = "{http://www.w3.org/1999/xhtml}"


def pages_html(dossier):
    for racine, _, fichiers in os.walk(dossier):
        for f in sorted(fichiers):
            if f.endswith(".htm"):
                yield os.path.join(racine, f)


def analyse_stricte(chemin, erreurs):
    with open(chemin, "rb") as f:
        donnees = f.read()
    try:
        html5lib.HTMLParser(strict=True).parse(donnees, transport_encoding="utf-8")
    except Exception as e:  # html5lib raises ParseError on the first error
        erreurs.append("%s : %s" % (chemin, e))


def texte(element):
    """The text shown: the element's text without the scripts' source."""
    if element.tag == NS + "script":
        return element.tail or ""
    return (element.text or "") + "".join(texte(e) for e in element) + (element.tail or "")


def espaces(t):
    return " ".join(t.split())


def ouvre_dans_chromium(page, nom):
    adresse = "file://" + urllib.parse.quote(page) + "?" + urllib.parse.quote(nom, safe="-._~()")
    # A page that shows an alert never finishes loading: the time limit is its answer.
    try:
        r = subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu",
                            "--allow-file-access-from-files", "--dump-dom", adresse],
                           capture_output=True, timeout=60)
    except subprocess.TimeoutExpired:
        return None
    return r.stdout.decode("utf-8", "replace")


def verifie_page(page, nom, legende, erreurs):
    sortie = ouvre_dans_chromium(page, nom)
    if sortie is None:
        erreurs.append("%s?%r : la page ne s'est pas chargée (alerte ?)" % (page, nom))
        return
    dom = html5lib.parse(sortie)
    corps = dom.find(NS + "body")
    if corps is None:
        erreurs.append("%s?%r : pas de corps" % (page, nom))
        return
    etrangers = sorted({e.tag.replace(NS, "") for e in dom.iter()
                        if isinstance(e.tag, str)} - ELEMENTS_ATTENDUS)
    if etrangers:
        erreurs.append("%s?%r : éléments inattendus %s" % (page, nom, etrangers))
    cible = "Images/" + urllib.parse.quote(nom, safe="-._~()!*'")
    sources = [urllib.parse.unquote(i.get("src", "")) for i in corps.iter(NS + "img")]
    if "Images/" + nom not in sources:
        erreurs.append("%s?%r : image absente (sources %s, attendue %s)" % (page, nom, sources, cible))
    if legende and espaces(legende) not in espaces(texte(corps)):
        erreurs.append("%s?%r : légende %r absente du texte %r" % (page, nom, legende, texte(corps)))


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        attendus = json.load(f)
    erreurs = []
    n = 0
    for album in attendus["albums"]:
        for page in pages_html(album):
            analyse_stricte(page, erreurs)
            n += 1
    for p in attendus["pages"]:
        verifie_page(p["page"], p["nom"], p["legende"], erreurs)
    for e in erreurs:
        print(e)
    print("%d page(s) analysée(s), %d page(s) ouverte(s), %d erreur(s)" % (n, len(attendus["pages"]), len(erreurs)))
    return 1 if erreurs else 0


if __name__ == "__main__":
    sys.exit(main())
