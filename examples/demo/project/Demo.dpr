program Demo;

{ A small Delphi 3 project of our own, for trying Kestrin Translator:
  three forms (one in a shared folder), a unit without a form,
  resource strings and version information. }

uses
  Forms,
  Main in 'Main.pas' {frmMain},
  About in 'About.pas' {frmAbout},
  Options in '..\Common\Options.pas' {frmOptions},
  Texts in 'Texts.pas';

{$R *.RES}

begin
  Application.Initialize;
  Application.Title := 'Kestrin Demo';
  Application.CreateForm(TfrmMain, frmMain);
  Application.Run;
end.
